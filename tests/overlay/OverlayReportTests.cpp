#include <gtest/gtest.h>

#include <random>

#include "overlay/OverlayReport.h"
#include "tests/common/TestSupport.h"
#include "tests/overlay/OverlayTestSupport.h"

namespace orv {
namespace {

using test::OverlayFileBytes;
using test::SampleCells;
using test::SetCellText;

size_t RecordStart(int k) {
    return static_cast<size_t>(k) * OverlayRecordSize;
}

TEST(OverlayReportTest, RecognisesOverlayFilesOnly) {
    std::string overlay = OverlayFileBytes(SampleCells());
    EXPECT_TRUE(LooksLikeOverlayFile(overlay));
    EXPECT_TRUE(LooksLikeOverlayFile(overlay.substr(0, 4447)));
    EXPECT_FALSE(LooksLikeOverlayFile(overlay.substr(0, 138)));
    EXPECT_FALSE(
        LooksLikeOverlayFile("V300\r\nN16000001000000000000000000001600000016000000"
                             "16A6\r\n"));
    EXPECT_FALSE(LooksLikeOverlayFile(""));
}

TEST(OverlayReportTest, GoodFileListsEveryCellWithControlsVisible) {
    OverlayCells cells;
    SetCellText(cells, 0, "Hi\r\"there\"\x03\\\xE9");
    SetCellText(cells, 31, "end");
    OverlayFileReport report = DescribeOverlayFile(OverlayFileBytes(cells) + "tail");

    EXPECT_TRUE(report.readable);
    EXPECT_TRUE(report.problems.empty());
    ASSERT_EQ(report.cells.size(), 32u);
    EXPECT_EQ(report.cells[0], R"(A1 "Hi\r\"there\"\x03\\\xE9")");
    EXPECT_EQ(report.cells[1], R"(B1 "")");
    EXPECT_EQ(report.cells[31], R"(H4 "end")");
    EXPECT_EQ(report.notes,
              std::vector<std::string>{"4 bytes after the 32nd record are not read."});
    std::string text = report.ToText();
    EXPECT_EQ(text.substr(0, text.find('\n')), "Keyboard emulation overlay file, 4452 bytes");
}

TEST(OverlayReportTest, NamesEveryBadRecordAndWhetherTheFileCanBeRead) {
    std::string bytes = OverlayFileBytes(SampleCells());
    bytes.replace(RecordStart(2) + kOverlayChecksumOffset, 2, "00");
    bytes.replace(RecordStart(3) + 7, 2, "7F");
    bytes.replace(RecordStart(4) + 10, 1, "a");
    bytes.replace(RecordStart(6) + 5, 2, "90");
    bytes.replace(RecordStart(7) + 137, 2, "\n\n");

    OverlayFileReport report = DescribeOverlayFile(bytes);
    EXPECT_FALSE(report.readable);
    EXPECT_EQ(report.firstRejectedRecord, 5);
    EXPECT_EQ(report.cells.size(), 30u);
    const std::vector<std::string> expected = {
        "Record 3 (cell C1): the checksum is 00 but should be 2D",
        "Record 4 (cell D1): the length byte gives 127 bytes, more than 63; 63 are read",
        "Record 4 (cell D1): the checksum is 2A but should be AF",
        "Record 5 (cell E1): the character \"a\" at offset 10 is not an upper-case hexadecimal "
        "digit",
        "Record 7 (cell G1): the address 90 belongs to cell A2",
        "Record 8 (cell H1): the record does not end with CR LF",
    };
    EXPECT_EQ(report.problems.size(), expected.size());
    for (const std::string& line : expected) {
        EXPECT_NE(std::find(report.problems.begin(), report.problems.end(), line),
                  report.problems.end())
            << line;
    }
    std::string text = report.ToText();
    EXPECT_NE(text.find("The program cannot open this file: record 5 is rejected.\n"),
              std::string::npos);
}

TEST(OverlayReportTest, ShortFileEndsTheListing) {
    std::string bytes = OverlayFileBytes(SampleCells());
    OverlayFileReport cut = DescribeOverlayFile(bytes.substr(0, 4447));
    EXPECT_FALSE(cut.readable);
    EXPECT_EQ(cut.problems, std::vector<std::string>{"Record 32 (cell H4): the file ends inside "
                                                     "this record, after 138 of its 139 "
                                                     "characters"});
    OverlayFileReport missing = DescribeOverlayFile(bytes.substr(0, RecordStart(3)));
    EXPECT_EQ(missing.firstRejectedRecord, 4);
    EXPECT_EQ(missing.problems, std::vector<std::string>{"Record 4 (cell D1): the file ends "
                                                         "before this record"});
}

TEST(OverlayReportTest, LengthThatDisagreesWithTheTextIsReported) {
    OverlayCells cells;
    SetCellText(cells, 0, "abc");
    std::string bytes = OverlayFileBytes(cells);
    std::string mismatch = bytes;
    mismatch.replace(7, 2, "05");
    mismatch.replace(kOverlayChecksumOffset, 2, "0B");
    std::string garbage = bytes;
    garbage.replace(7, 2, "00");  // "abc" beyond the length
    garbage.replace(kOverlayChecksumOffset, 2, "10");

    auto problems = DescribeOverlayFile(mismatch).problems;
    EXPECT_EQ(problems, std::vector<std::string>{"Record 1 (cell A1): the length byte gives 5 "
                                                 "bytes but the cell's text has 3"});
    problems = DescribeOverlayFile(garbage).problems;
    EXPECT_EQ(problems, std::vector<std::string>{"Record 1 (cell A1): the cell holds bytes other "
                                                 "than zero after its text"});
}

// The describer must agree with the reader on which files can be opened.
TEST(OverlayReportTest, AgreesWithTheReaderOnDamagedFiles) {
    test::TempDir dir;
    std::string path = (dir / "fuzz.orv").string();
    const std::string good = OverlayFileBytes(SampleCells());
    const std::string alphabet("0123456789ABCDEFabcdefNn7 \r\n\x00\xFF", 30);
    std::mt19937 random(20240501);
    for (int round = 0; round < 300; ++round) {
        std::string bytes = good;
        int changes = 1 + static_cast<int>(random() % 3);
        for (int i = 0; i < changes; ++i) {
            bytes[random() % bytes.size()] = alphabet[random() % alphabet.size()];
        }
        if (random() % 10 == 0) {
            bytes.resize(random() % bytes.size());
        }
        test::WriteFileBytes(path, bytes);
        OverlayCells cells;
        bool read = ReadOverlayFile(path, cells).Ok();
        OverlayFileReport report = DescribeOverlayFile(bytes);
        ASSERT_EQ(report.readable, read) << "round " << round;
        if (bytes != good) {
            EXPECT_FALSE(report.problems.empty()) << "round " << round;
        }
    }
}

}  // namespace
}  // namespace orv
