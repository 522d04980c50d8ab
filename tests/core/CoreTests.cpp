#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <set>
#include <sstream>

#include "core/Catalogue.h"
#include "core/Errors.h"
#include "core/Globals.h"
#include "core/Hex.h"
#include "core/StringTable.h"
#include "tests/common/TestSupport.h"

namespace orv {
namespace {

TEST(StringTable, InsertsArgumentsByPlainReplacement) {
    EXPECT_EQ(FormatString(IDM_CANNOT_OPEN_PORT, "COM3"),
              "Unable to open the COM3 serial port.\nPlease check communications port option "
              "settings.");
    EXPECT_EQ(FormatString(IDM_RENAMED, "a.orv", "b.orv"), "File 'a.orv' renamed to 'b.orv'");
    // Insertions are not scanned again, and a lone % stays.
    EXPECT_EQ(InsertArgs("%1 and %1, %2%", "%2", "x"), "%2 and %2, x%");
    EXPECT_EQ(FormatString(IDM_INCOMPLETE_NAME, "MEM"), "MEM==INCOMPLETE==");
}

TEST(StringTable, UnknownNumbersGiveNothing) {
    EXPECT_FALSE(HasString(1));
    EXPECT_EQ(LoadString(1), "");
    EXPECT_TRUE(HasString(IDS_APP_NAME));
    EXPECT_EQ(LoadString(IDS_APP_NAME), "ORV by Tarveline");
}

TEST(StringTable, EveryNamedTextNumberHasAText) {
    // Every "IDS_NAME = number," and "IDM_NAME = number," of the headers, read
    // from the sources: a name added without its text would show the user an
    // empty message.
    int names = 0;
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(test::SourceDir() / "src")) {
        if (entry.path().extension() != ".h") {
            continue;
        }
        std::istringstream lines(test::ReadFileBytes(entry.path()));
        std::string line;
        while (std::getline(lines, line)) {
            size_t start = line.find_first_not_of(' ');
            size_t equals = line.find(" = ");
            if (start == std::string::npos || equals == std::string::npos ||
                (line.compare(start, 4, "IDS_") != 0 && line.compare(start, 4, "IDM_") != 0)) {
                continue;
            }
            size_t comma = line.find(',', equals);
            std::string name = line.substr(start, equals - start);
            std::string number = line.substr(equals + 3, comma - (equals + 3));
            if (comma == std::string::npos || !IsAllDigits(number, false)) {
                continue;
            }
            ++names;
            EXPECT_TRUE(HasString(std::stoi(number))) << name << " in " << entry.path();
        }
    }
    // All of them were found, not an empty folder.
    EXPECT_GT(names, 250);
}

TEST(StringTable, InstructionTextsKeepTheirExactWording) {
    EXPECT_NE(LoadString(502).find("Transfer Memory,  then"), std::string::npos);
    EXPECT_EQ(LoadString(506).find("Operator's Manual"), std::string::npos);
    EXPECT_EQ(LoadString(509).substr(LoadString(509).size() - 18), "operator's manual.");
}

TEST(InternalError, NamesFileAndLineAndLetsTheCallerCarryOn) {
    test::CapturingReporter reporter;
    bool carriedOn = false;
    ReportInternalError("Serial.cpp", 42);
    carriedOn = true;
    ReportInternalError("C:\\src\\engine\\Serial.cpp", 7);
    ReportInternalError("/home/u/orv/src/engine/Record.cpp", 9);
    ASSERT_TRUE(carriedOn);
    auto messages = reporter.Messages();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_NE(messages[0].find("Line 42 in Serial.cpp\n"), std::string::npos);
    EXPECT_NE(messages[1].find("Line 7 in Serial.cpp\n"), std::string::npos);
    EXPECT_NE(messages[2].find("Line 9 in Record.cpp\n"), std::string::npos);
    EXPECT_EQ(messages[0].rfind("An error has occurred inside the ORV program.", 0), 0u);
}

TEST(ORVException, CarriesIdAndFinishedText) {
    try {
        ThrowORVException(IDM_INSERT_CONTINUATION, "/media/MEM2.ORV");
        FAIL();
    } catch (const CORVException& e) {
        EXPECT_EQ(e.MessageId(), 162);
        EXPECT_EQ(e.Text(),
                  "Please insert the disk containing the continuation file:\n/media/MEM2.ORV");
    }
    try {
        ThrowORVException(IDM_COMM_TIMEOUT);
        FAIL();
    } catch (const CORVException& e) {
        EXPECT_EQ(e.MessageId(), 159);
        EXPECT_EQ(e.Text(), LoadString(159));
    }
}

TEST(HexDigitValue, AcceptsOnlyUpperCaseHex) {
    EXPECT_EQ(HexDigitValue('0'), 0);
    EXPECT_EQ(HexDigitValue('9'), 9);
    EXPECT_EQ(HexDigitValue('A'), 10);
    EXPECT_EQ(HexDigitValue('F'), 15);
    for (char c : {'a', 'f', 'G', ' ', '\0', '/', ':', '@'}) {
        try {
            HexDigitValue(c);
            ADD_FAILURE() << "accepted " << int(c);
        } catch (const CORVException& e) {
            EXPECT_EQ(e.MessageId(), IDM_INVALID_CHARACTER);
        }
    }
}

TEST(IsAllDigits, EmptyIsFalseAndColonsOnlyWhenAllowed) {
    EXPECT_FALSE(IsAllDigits("", false));
    EXPECT_FALSE(IsAllDigits("", true));
    EXPECT_TRUE(IsAllDigits("12", false));
    EXPECT_FALSE(IsAllDigits("1:2", false));
    EXPECT_TRUE(IsAllDigits("1:2", true));
    EXPECT_FALSE(IsAllDigits("12a", true));
}

TEST(FileError, CauseFollowsErrnoAndTextNamesTheFile) {
    EXPECT_EQ(FileError::FromErrno(ENOENT, "a.orv").Message(), "a.orv was not found.");
    EXPECT_EQ(FileError::FromErrno(ENOSPC, "a.orv").Cause(), FileErrorCause::DiskFull);
    EXPECT_EQ(FileError::FromErrno(EDQUOT, "a.orv").Cause(), FileErrorCause::DiskFull);
    EXPECT_EQ(FileError::FromErrno(EACCES, "a.orv").Cause(), FileErrorCause::AccessDenied);
    // A folder and a read-only disk are told as what they are, not as a refusal.
    EXPECT_EQ(FileError::FromErrno(EROFS, "a.orv").Cause(), FileErrorCause::ReadOnlyDisk);
    EXPECT_EQ(FileError::FromErrno(EISDIR, "a.orv").Cause(), FileErrorCause::IsFolder);
    EXPECT_EQ(FileError::FromErrno(ENOTDIR, "a.orv").Cause(), FileErrorCause::BadPath);
    EXPECT_EQ(FileError::FromErrno(EMFILE, "a.orv").Cause(), FileErrorCause::TooManyOpenFiles);
    EXPECT_EQ(FileError::FromErrno(EWOULDBLOCK, "a.orv").Cause(), FileErrorCause::SharingViolation);
    EXPECT_EQ(FileError::FromErrno(EIO, "a.orv").Cause(), FileErrorCause::Generic);
    // Every cause has its own text, and every text names the file.
    std::set<std::string> texts;
    for (auto cause :
         {FileErrorCause::Generic, FileErrorCause::FileNotFound, FileErrorCause::BadPath,
          FileErrorCause::TooManyOpenFiles, FileErrorCause::AccessDenied,
          FileErrorCause::InvalidFile, FileErrorCause::SharingViolation, FileErrorCause::DiskFull,
          FileErrorCause::EndOfFile, FileErrorCause::IsFolder, FileErrorCause::IsPipe,
          FileErrorCause::IsSocket, FileErrorCause::IsDevice, FileErrorCause::ReadOnlyDisk}) {
        std::string text = FileError(cause, "/tmp/x.ORV").Message();
        EXPECT_NE(text.find("/tmp/x.ORV"), std::string::npos) << text;
        texts.insert(text);
    }
    EXPECT_EQ(texts.size(), 14u);
}

TEST(MessageHelpers, StatusAndInstructionsOnlyForExistingTexts) {
    EXPECT_EQ(FormatString(IDM_DELETED_COUNT, "2"), "Deleted 2 files");
    EXPECT_FALSE(HasString(12345));
    ASSERT_TRUE(HasString(InstructionsId(4)));
    EXPECT_EQ(LoadString(InstructionsId(4)).rfind("On your Halvetch,", 0), 0u);
    EXPECT_EQ(FormatString(IDM_BAD_OVERLAY_FILE, "k.kbd").rfind("The file k.kbd is not a valid", 0),
              0u);
}

TEST(SerialTimeoutOption, OnlyASlashDAndDigitAtTheVeryStart) {
    EXPECT_EQ(SerialTimeoutFromCommandLine("/d9"), 9000);
    EXPECT_EQ(SerialTimeoutFromCommandLine("/D5x"), 5000);
    EXPECT_EQ(SerialTimeoutFromCommandLine("/D1 MEM.ORV"), 1000);
    EXPECT_EQ(SerialTimeoutFromCommandLine("/D0"), 3000);
    EXPECT_EQ(SerialTimeoutFromCommandLine("/DX"), 3000);
    EXPECT_EQ(SerialTimeoutFromCommandLine("-D5"), 3000);
    EXPECT_EQ(SerialTimeoutFromCommandLine("MEM.ORV /D5"), 3000);
    EXPECT_EQ(SerialTimeoutFromCommandLine(" /D5"), 3000);
    EXPECT_EQ(SerialTimeoutFromCommandLine("/D"), 3000);
    EXPECT_EQ(SerialTimeoutFromCommandLine(""), 3000);
}

TEST(Catalogue, NamesRatesAndCapabilities) {
    EXPECT_STREQ(kModelNames[0], "Corvane");
    EXPECT_STREQ(kModelNames[9], "Fennimar");
    // The default rate of each model, and where its offered list ends.
    const unsigned defaults[] = {38400, 57600, 57600, 57600, 4800,
                                 57600, 57600, 57600, 57600, 57600};
    const int offeredCounts[] = {8, 5, 9, 9, 3, 10, 4, 10, 10, 10};
    for (int m = 0; m < kModelCount; ++m) {
        EXPECT_EQ(EffectiveBaudRate(-1, m), defaults[m]) << m;
        int count = 0;
        while (count < kBaudRateCount && kOfferedBaudIndices[m][count] >= 0) {
            ++count;
        }
        EXPECT_EQ(count, offeredCounts[m]) << m;
        for (int slot = count; slot < kBaudRateCount; ++slot) {
            EXPECT_EQ(kOfferedBaudIndices[m][slot], -1);
        }
    }
    // A chosen rate is used whether or not the model offers it.
    EXPECT_EQ(EffectiveBaudRate(10, 1), 115200u);
    EXPECT_EQ(EffectiveBaudRate(3, 0), 2125u);
    EXPECT_EQ(EffectiveBaudRate(99, 4), 4800u);

    for (uint32_t id = kFirstModelId; id <= kLastModelId; ++id) {
        EXPECT_EQ(SupportsOverlayEditing(id), id == 32772) << id;
        EXPECT_EQ(SupportsIconImport(id), id == 32776 || id == 32778 || id == 32779 || id == 32780)
            << id;
    }
}

TEST(Catalogue, ModelArgumentsByNameIndexOrCommandId) {
    EXPECT_EQ(ParseModel("mirelda"), 5);
    EXPECT_EQ(ParseModel("FENNIMAR"), 9);
    EXPECT_EQ(ParseModel("0"), 0);
    EXPECT_EQ(ParseModel("32772"), 1);
    EXPECT_EQ(ParseModel("32780"), 9);
    // Near misses are refused rather than taken for the nearest model.
    for (const char* bad : {"", "10", "32770", "32781", "Mirel", "Mirelda ", "-1", "+3",
                            "4294967297", "00000000032776"}) {
        EXPECT_EQ(ParseModel(bad), std::nullopt) << bad;
    }
}

TEST(Globals, SelectModelKeepsTheThreeFieldsTogether) {
    CORVGlobals g;
    g.SelectModel(7);
    EXPECT_EQ(g.ModelIndex, 7);
    EXPECT_EQ(g.ModelId, 32778u);
    EXPECT_EQ(g.ModelName, "Quenlow");
    EXPECT_EQ(g.BuildMainTitle(), "ORV - Quenlow");
}

}  // namespace
}  // namespace orv
