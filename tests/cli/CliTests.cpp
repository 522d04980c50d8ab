// orv-cli as scripts use it: a separate process on a simulated device's pty.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "core/Catalogue.h"
#include "core/StringTable.h"
#include "devsim/SimulatedDevice.h"
#include "overlay/OverlayCells.h"
#include "tests/cli/CliTestSupport.h"
#include "tests/overlay/OverlayTestSupport.h"

namespace orv::test {
namespace {

namespace fs = std::filesystem;
using devsim::OutcomeKind;
using devsim::Script;
using devsim::SimulatedDevice;

TEST_F(CliTest, SaveThenRestoreOverThePseudoTerminal) {
    SimulatedDevice device(kModelMirelda);
    device.SetMemory(devsim::MakeSampleMemory(kModelMirelda, 150));
    Script save;
    save.letter = 'S';
    Result r = Serve(device, save, {"save", "MEM.ORV"});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_NE(r.out.find(LoadString(505)), std::string::npos);  // the model's instructions
    EXPECT_NE(r.out.find(LoadString(IDM_TRANSFER_COMPLETED)), std::string::npos);
    EXPECT_EQ(ReadFileBytes(dir / "MEM.ORV"), Joined(device.Memory()));

    Script restore;
    restore.letter = 'L';
    devsim::Outcome out;
    r = Serve(device, restore, {"restore", "MEM.ORV"}, &out);
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_EQ(out.kind, OutcomeKind::Completed) << devsim::Summary(out);
    EXPECT_EQ(device.ReceivedBytes(), Joined(device.Memory()));
    EXPECT_EQ(device.ReceivedEndMark(), "end");  // the end mark survives the close at once
    EXPECT_FALSE(fs::exists(dir / "config"));    // orv-cli never writes the profile
}

TEST_F(CliTest, SaveThatTimesOutExitsOneAndKeepsTheIncompleteData) {
    SimulatedDevice device(kModelMirelda);
    device.SetMemory(devsim::MakeSampleMemory(kModelMirelda, 40));
    WriteFileBytes(dir / "MEM.ORV", "earlier\r\n");
    Script save;
    save.letter = 'S';
    save.faults.silence = {{10, devsim::kForever}};
    Result r = Serve(device, save, {"save", "MEM.ORV"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find(LoadString(IDM_COMM_TIMEOUT)), std::string::npos) << r.out;
    EXPECT_EQ(ReadFileBytes(dir / "MEM.ORV"), "earlier\r\n");
    EXPECT_TRUE(fs::exists(dir / "MEM==INCOMPLETE==.ORV"));
}

TEST_F(CliTest, RestoreRefusedElevenTimesExitsOne) {
    SimulatedDevice device(kModelMirelda);
    WriteFileBytes(dir / "MEM.ORV", Joined(devsim::MakeSampleMemory(kModelMirelda, 20)));
    Script restore;
    restore.letter = 'L';
    restore.faults.refusals = {{3, 11}};
    Result r = Serve(device, restore, {"restore", "MEM.ORV"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find(LoadString(IDM_COMM_ERROR)), std::string::npos) << r.out;
}

TEST_F(CliTest, RequestOfAnotherKindIsCancelled) {
    SimulatedDevice device(kModelMirelda);
    Script restore;
    restore.letter = 'L';
    devsim::Outcome out;
    Result r = Serve(device, restore, {"save", "MEM.ORV"}, &out);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find(LoadString(IDM_TRANSFER_CANCELLED)), std::string::npos) << r.out;
    EXPECT_EQ(out.kind, OutcomeKind::Refused) << devsim::Summary(out);
    EXPECT_FALSE(fs::exists(dir / "MEM.ORV"));
}

TEST_F(CliTest, UsageErrorsMissingFilesAndMissingPortsHaveTheirOwnExitCodes) {
    EXPECT_EQ(Cli({"--model", "Nosuch", "save", "X"}).exitCode, 2);
    EXPECT_EQ(Cli({"--baud", "1234", "save", "X"}).exitCode, 2);
    EXPECT_EQ(Cli({"--port", "COM12", "save", "X"}).exitCode, 2);
    EXPECT_EQ(Cli({"--timeout", "0", "save", "X"}).exitCode, 2);
    EXPECT_EQ(Cli({"frobnicate"}).exitCode, 2);
    EXPECT_EQ(Cli({"--model", "1", "inspect", "X"}).exitCode, 2);

    Result missing = Cli({"--port", "/nonexistent/tty", "restore", "nofile.ORV"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find(FormatString(IDM_FILE_NOT_FOUND, "nofile.ORV")), std::string::npos);

    Result noPort = Cli({"--port", "/nonexistent/tty", "save", "X.ORV"});
    EXPECT_EQ(noPort.exitCode, 3);
    EXPECT_NE(noPort.err.find(FormatString(IDM_CANNOT_OPEN_PORT, "/nonexistent/tty")),
              std::string::npos);
}

TEST_F(CliTest, HelpNamesWhatEachOptionTakesAndOptionsMayFollowTheCommand) {
    Result help = Cli({"inspect", "X", "--help"});
    EXPECT_EQ(help.exitCode, 0) << help.err;
    for (const char* text : {"Usage: orv-cli [OPTION]... COMMAND [ARGUMENT]...",
                             "--port PORT",
                             "COM1 to COM9",
                             "--model MODEL",
                             "--baud RATE",
                             "57600, 115200",
                             "--timeout SECONDS",
                             "(default: 3)",
                             "--keep-aspect",
                             "--stretch",
                             "--crop",
                             "--dither",
                             "--no-dither",
                             "--prepare-only",
                             "-h, --help",
                             "--version",
                             "import-icons PICTURE[=NAME]...",
                             "Exit status:",
                             "3  The port could not be opened.",
                             "ORV by Tarveline.conf"}) {
        EXPECT_NE(help.out.find(text), std::string::npos) << text;
    }
    size_t start = 0;
    for (size_t end; (end = help.out.find('\n', start)) != std::string::npos; start = end + 1) {
        EXPECT_LE(end - start, 79u) << help.out.substr(start, end - start);
    }
    Result version = Cli({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "orv-cli 7.01\n");

    // Options after the command count as they would before it.
    EXPECT_EQ(Cli({"save", "X", "--model", "Nosuch"}).exitCode, 2);
    Result late = Cli({"save", "X.ORV", "--port=/nonexistent/tty"});
    EXPECT_EQ(late.exitCode, 3) << late.err;
    EXPECT_NE(late.err.find("/nonexistent/tty"), std::string::npos) << late.err;
    // After "--" nothing is an option: the file named "--port" is inspected.
    WriteFileBytes(dir / "--port", "V300\r\n");
    Result dashed = Cli({"inspect", "--", "--port"});
    EXPECT_EQ(dashed.exitCode, 0) << dashed.out << dashed.err;

    for (const std::vector<std::string>& bad :
         std::vector<std::vector<std::string>>{{"save", "X", "--port"},
                                               {"-x", "models"},
                                               {"--help=yes"},
                                               {},
                                               {"models", "--stretch"},
                                               {"save", "A.ORV", "B.ORV"}}) {
        Result r = Cli(bad);
        EXPECT_EQ(r.exitCode, 2) << r.err;
        EXPECT_NE(r.err.find("Try \"orv-cli --help\""), std::string::npos) << r.err;
    }
}

TEST_F(CliTest, InspectTellsWhatIsWrongWithLineNumbers) {
    WriteFileBytes(dir / "good.ORV", "V300\r\nA0101FD\r\nB0102FC\r\nT");
    Result good = Cli({"inspect", "good.ORV"});
    EXPECT_EQ(good.exitCode, 0) << good.out;
    EXPECT_NE(good.out.find("version record V300"), std::string::npos) << good.out;
    EXPECT_NE(good.out.find("records by type: A 1 B 1 V 1"), std::string::npos) << good.out;
    EXPECT_NE(good.out.find("continues in good2.ORV"), std::string::npos) << good.out;

    WriteFileBytes(dir / "bad.ORV", "V300\r\nA0101FE\r\nA01a1FD\r\n\r\nA0101FD\n");
    Result bad = Cli({"inspect", "bad.ORV"});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_NE(bad.out.find("line 2: checksum failure"), std::string::npos) << bad.out;
    EXPECT_NE(bad.out.find("line 3: invalid character"), std::string::npos) << bad.out;
    EXPECT_NE(bad.out.find("line 4: empty line"), std::string::npos) << bad.out;
    EXPECT_NE(bad.out.find("line 5: ends with LF only"), std::string::npos) << bad.out;

    WriteFileBytes(dir / "sound.ORV", "N01DD21\r\nn050000F5F5F51B\r\nn050002F5F5F519\r\n");
    Result sound = Cli({"inspect", "sound.ORV"});
    EXPECT_EQ(sound.exitCode, 1);
    EXPECT_NE(sound.out.find("line 3: sequence number 2, expected 1"), std::string::npos)
        << sound.out;

    WriteFileBytes(dir / "icons.ORV", "N091C434154000000000002\r\nn0400000102F8\r\n");
    Result icons = Cli({"inspect", "icons.ORV"});
    EXPECT_EQ(icons.exitCode, 0) << icons.out;
    EXPECT_NE(icons.out.find("1 icon: CAT"), std::string::npos) << icons.out;

    WriteFileBytes(dir / "notes.txt", "Dear diary,\r\nnothing happened.\r\n");
    Result text = Cli({"inspect", "notes.txt"});
    EXPECT_EQ(text.exitCode, 0);
    EXPECT_NE(text.out.find("text file, 2 lines"), std::string::npos) << text.out;
}

TEST_F(CliTest, InspectJudgesAFileAsARestoreWouldSendIt) {
    std::string random;
    uint32_t seed = 7;
    for (int i = 0; i < 300; ++i) {
        seed = seed * 1103515245 + 12345;
        random += static_cast<char>(seed >> 16);
    }
    const std::string kV = "V300\r\n";
    struct Case {
        std::string content;
        int exitCode;
        std::string says;
    };
    const Case cases[] = {
        // As the engine stores them: a v record ends at its line end.
        {kV + "v12 Ab\r\nA0101FD\r\n", 0, "records by type: A 1 V 1 v 1"},
        {random, 1, "line 1: "},
        {std::string(64, '\0'), 1, "line 1: does not start with a letter"},
        {"\r\n\r\n", 1, "line 2: empty line"},
        {"", 1, "the file is empty"},
        {kV + "A0101FD", 1, "line 2: no line end"},
        {kV + "A01\x01"
              "01FD\r\n",
         1, "line 2: binary byte 0x01 at column 4"},
        {kV + "A0201FD\r\n", 1, "line 2: count and length disagree: the line ends inside"},
        {kV + "A0101FD00\r\n", 1, "line 2: count and length disagree: characters after"},
        {kV + "A0101FE\r\n", 1, "line 2: checksum failure: 0xFE where 0xFD belongs"},
        {kV + "A01a1FD\r\n", 1, "line 2: invalid character: lower-case hexadecimal digit a"},
        {kV + "Q0101FD\r\n", 1, "line 2: unknown record type Q"},
        {kV + "K" + std::string(1100, '0') + "\r\nA0101FD\r\n", 1, "line 2: too long"},
        {"N01DD21\r\nv300\r\n", 1, "line 2: unexpected record type v"},
    };
    for (const Case& c : cases) {
        WriteFileBytes(dir / "x.ORV", c.content);
        Result r = Cli({"inspect", "x.ORV"});
        EXPECT_EQ(r.exitCode, c.exitCode) << c.says << "\n" << r.out << r.err;
        EXPECT_NE(r.out.find(c.says), std::string::npos) << c.says << " in\n" << r.out;
        EXPECT_NE(r.out.find(c.exitCode == 0 ? "0 problems" : "problem"), std::string::npos);
    }
    // The rest of a too long line is told with its start, not as a line of its own.
    WriteFileBytes(dir / "x.ORV", kV + "K" + std::string(1100, '0') + "\r\nA0101FD\r\n");
    std::string tooLong = Cli({"inspect", "x.ORV"}).out;
    EXPECT_EQ(tooLong.find("line 2:"), tooLong.rfind("line 2:")) << tooLong;
    EXPECT_NE(tooLong.find("1 problem\n"), std::string::npos) << tooLong;

    // Names that are no files are refused at once, and nothing is read
    // without end; a memory file is never this large.
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    fs::create_directory(dir / "folder");
    {
        std::FILE* f = std::fopen((dir / "huge.ORV").c_str(), "wb");
        ASSERT_EQ(::ftruncate(::fileno(f), (64 << 20) + 1), 0);
        std::fclose(f);
    }
    const std::pair<std::string, std::string> refused[] = {
        {"pipe", "pipe is a named pipe, not a file."},
        {"folder", "folder is a folder, not a file."},
        {"/dev/zero", "/dev/zero is a device, not a file."},
        {"huge.ORV", "huge.ORV is larger than 64 MiB"},
    };
    for (const auto& [name, message] : refused) {
        Result r = Cli({"inspect", name});
        EXPECT_EQ(r.exitCode, 1) << name;
        EXPECT_NE(r.err.find(message), std::string::npos) << message << " in " << r.err;
    }
}

TEST_F(CliTest, RestoreRefusesAnEmptyFileAndANameThatIsNoFileBeforeOpeningThePort) {
    WriteFileBytes(dir / "empty.ORV", "");
    ASSERT_EQ(::mkfifo((dir / "pipe.ORV").c_str(), 0600), 0);
    // The port does not exist: exit 1 rather than 3 shows the port was never tried.
    Result empty = Cli({"--port", "/nonexistent/tty", "restore", "empty.ORV"});
    EXPECT_EQ(empty.exitCode, 1);
    EXPECT_NE(empty.err.find(FormatString(IDM_RESTORE_EMPTY_REFUSED, "empty.ORV")),
              std::string::npos)
        << empty.err;
    Result pipe = Cli({"--port", "/nonexistent/tty", "restore", "pipe.ORV"});
    EXPECT_EQ(pipe.exitCode, 1);
    EXPECT_NE(pipe.err.find("pipe.ORV is a named pipe, not a file."), std::string::npos)
        << pipe.err;
}

TEST_F(CliTest, InspectListsTheCellsOfAnOverlayAndItsDamage) {
    OverlayCells cells;
    SetCellText(cells, 0, "abc");
    SetCellText(cells, 31, "Yes\rplease\x03");
    std::string good = OverlayFileBytes(cells);
    WriteFileBytes(dir / "keys.orv", good);
    Result ok = Cli({"inspect", "keys.orv"});
    EXPECT_EQ(ok.exitCode, 0) << ok.out;
    EXPECT_NE(ok.out.find("keys.orv: Keyboard emulation overlay file, 4448 bytes"),
              std::string::npos)
        << ok.out;
    EXPECT_NE(ok.out.find("A1 \"abc\""), std::string::npos) << ok.out;
    EXPECT_NE(ok.out.find("H4 \"Yes\\rplease\\x03\""), std::string::npos) << ok.out;
    EXPECT_NE(ok.out.find("0 problems"), std::string::npos) << ok.out;

    // A lower-case digit in the second record: the program would refuse the file.
    std::string bad = good;
    bad[OverlayRecordSize + 9] = 'a';
    WriteFileBytes(dir / "bad.orv", bad);
    Result refused = Cli({"inspect", "bad.orv"});
    EXPECT_EQ(refused.exitCode, 1) << refused.out;
    EXPECT_NE(refused.out.find("Record 2 (cell B1)"), std::string::npos) << refused.out;
    EXPECT_NE(refused.out.find("record 2 is rejected"), std::string::npos) << refused.out;
}

}  // namespace
}  // namespace orv::test
