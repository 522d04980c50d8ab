// Restores over a pseudo-terminal, the device end scripted byte by byte.
#include <filesystem>

#include "core/StringTable.h"
#include "tests/engine/EngineFixture.h"

namespace orv::test {
namespace {

namespace fs = std::filesystem;

class RestoreTest : public EngineFixture {
protected:
    // Reads records until the three-character end mark; acknowledges each record.
    std::vector<std::string> TakeAll(std::string* endMark) {
        std::vector<std::string> records;
        for (;;) {
            std::string head = peer.Read(3);
            if (head == "END" || head == "end" || head.size() < 3) {
                *endMark = head;
                return records;
            }
            records.push_back(head + TakeRecord());
        }
    }

    std::string RestoreFile(const std::string& content, char operation = 'L') {
        std::string path = Path("MEM.ORV");
        WriteFileBytes(path, content);
        port.ArmTransfer(path, Restore);
        EXPECT_EQ(Request(operation), std::string(1, kAck));
        std::string mark;
        received = TakeAll(&mark);
        return mark;
    }

    std::vector<std::string> received;
};

const std::string kV300 = "V300\r\n";
const std::string kRecA = "A0101FD\r\n";
const std::string kRecB = "B0102FC\r\n";

TEST_F(RestoreTest, RecordsAreSentAsTheyStandAndEndWithTheModelsMark) {
    EXPECT_EQ(RestoreFile(kV300 + kRecA + kRecB), "END");
    EXPECT_EQ(received, (std::vector<std::string>{kV300, kRecA, kRecB}));
    EXPECT_EQ(host.WaitFinished(), IDM_TRANSFER_COMPLETED);
    EXPECT_EQ(host.Totals(), std::vector<long>{static_cast<long>((kV300 + kRecA + kRecB).size())});
    EXPECT_EQ(host.BytesAdded(), static_cast<long long>((kV300 + kRecA + kRecB).size()));
    EXPECT_EQ(port.Format(), Records);
}

struct EndMarkCase {
    uint32_t model;
    std::string firstLine;
    std::string mark;
};

TEST_F(RestoreTest, EndMarkFollowsModelAndFileVersion) {
    const EndMarkCase cases[] = {
        {kModelMirelda, "V250\r\n", "END"}, {kModelMirelda, "V300\r\n", "end"},
        {kModelMirelda, "", "end"},         {kModelMirelda, "v12 \r\n", "END"},
        {kModelQuenlow, "V100\r\n", "end"}, {kModelFennimar, "", "end"},
        {kFirstModelId, "V300\r\n", "END"}, {kModelPelliro, "V999\r\n", "END"},
    };
    for (const EndMarkCase& c : cases) {
        SelectModel(c.model);
        EXPECT_EQ(RestoreFile(c.firstLine + kRecA), c.mark) << c.model << " " << c.firstLine;
        EXPECT_EQ(host.WaitFinished(), IDM_TRANSFER_COMPLETED);
        WaitIdle();
    }
}

TEST_F(RestoreTest, TextRestoreSendsHeaderTextRecordsAndEmptyRecord) {
    const std::string text = "AB\tC\r\nxy";
    std::string mark = RestoreFile(text, 'B');
    EXPECT_EQ(mark, "END");
    ASSERT_EQ(received.size(), 4u);
    EXPECT_EQ(received[0], "N1600000100000000000000000000160000001600000016A6\r\n");
    EXPECT_EQ(received[1], "n06414220430D0006\r\n");
    EXPECT_EQ(received[2], "n0278790C\r\n");
    EXPECT_EQ(received[3], "n00FF\r\n");  // not acknowledged by the device; sent before the mark
    EXPECT_EQ(host.WaitFinished(), IDM_TRANSFER_COMPLETED);
    EXPECT_EQ(host.Totals(), std::vector<long>{static_cast<long>(2 * text.size())});
}

TEST_F(RestoreTest, QuenlowSendsLineFeedAsBlank) {
    SelectModel(kModelQuenlow);
    EXPECT_EQ(RestoreFile("AB\tC\r\n", 'B'), "end");
    ASSERT_GE(received.size(), 2u);
    EXPECT_EQ(received[1], "n06414220430D20E6\r\n");
}

TEST_F(RestoreTest, WSendsTheFileTwiceEachPassWithItsHeader) {
    std::string path = Path("NOTES.TXT");
    WriteFileBytes(path, "hi\n");
    port.ArmTransfer(path, Restore);
    // ACK at once for W, and again once the file is open.
    EXPECT_EQ(Request('W', 2), std::string(2, kAck));
    std::string mark;
    std::vector<std::string> records = TakeAll(&mark);
    EXPECT_EQ(mark, "END");
    std::string header = "N1600000100000000000000000000160000001600000016A6\r\n";
    std::string line = "n036869002B\r\n";
    EXPECT_EQ(records, (std::vector<std::string>{header, line, header, line, "n00FF\r\n"}));
    EXPECT_EQ(host.WaitFinished(), IDM_TRANSFER_COMPLETED);
    EXPECT_EQ(host.Totals(), std::vector<long>{4 * 3});
}

TEST_F(RestoreTest, TenRefusalsAreToleratedTheEleventhEndsWithCommunicationsError) {
    std::string path = Path("MEM.ORV");
    WriteFileBytes(path, kV300 + kRecA);
    port.ArmTransfer(path, Restore);
    ASSERT_EQ(Request('L'), std::string(1, kAck));
    for (int i = 0; i < 10; ++i) {
        ASSERT_EQ(peer.ReadUntil("\n"), kV300) << "attempt " << i + 1;
        peer.Send("\x15");
    }
    EXPECT_EQ(TakeRecord(), kV300);  // the eleventh sending is accepted
    for (int i = 0; i < 11; ++i) {
        ASSERT_EQ(peer.ReadUntil("\n"), kRecA) << "attempt " << i + 1;
        peer.Send("\x15");
    }
    EXPECT_EQ(peer.Read(1), "?");
    EXPECT_EQ(host.WaitFinished(), IDM_COMM_ERROR);
    EXPECT_EQ(ReadFileBytes(path), kV300 + kRecA);  // a restore file keeps its name and content
}

TEST_F(RestoreTest, LineNotStartingWithALetterIsAnInvalidRecord) {
    // Nor is a line with a control byte or one outside ASCII before its line end.
    for (const std::string& bad :
         {std::string("\r\n"), std::string("1A0101FD\r\n"), std::string("A0101\0FD\r\n", 10),
          std::string("V30\r\r\n"), std::string("A0101FD\rA0101FD\r\n"),
          std::string("V3\xE9\r\n")}) {
        std::string path = Path("MEM.ORV");
        WriteFileBytes(path, kV300 + bad + kRecA);
        port.ArmTransfer(path, Restore);
        ASSERT_EQ(Request('L'), std::string(1, kAck));
        EXPECT_EQ(TakeRecord(), kV300);
        EXPECT_EQ(peer.Read(1), "?");
        EXPECT_EQ(host.WaitFinished(), IDM_INVALID_RECORD);
        WaitIdle();
    }
}

TEST_F(RestoreTest, LastLineWithoutLineEndIsSentWithIt) {
    // The record is whole in the file; only its line end, which the device
    // waits for, is missing. A lone CR gets its LF.
    for (const std::string& last : {std::string("B0102FC"), std::string("B0102FC\r")}) {
        EXPECT_EQ(RestoreFile(kV300 + kRecA + last), "END");
        EXPECT_EQ(received, (std::vector<std::string>{kV300, kRecA, kRecB}));
        EXPECT_EQ(host.WaitFinished(), IDM_TRANSFER_COMPLETED);
        WaitIdle();
    }
    // The progress counts the file's own bytes.
    const long head = static_cast<long>((kV300 + kRecA).size());
    EXPECT_EQ(host.Totals(), (std::vector<long>{head + 7, head + 8}));
    EXPECT_EQ(host.BytesAdded(), 2 * head + 7 + 8);
}

TEST_F(RestoreTest, ContinuationMarkerOnAFixedDiskIsAnInvalidRecord) {
    std::string path = Path("MEM.ORV");
    WriteFileBytes(path, kV300 + kRecA + "T");
    WriteFileBytes(Path("MEM2.ORV"), kRecB);
    port.ArmTransfer(path, Restore);
    ASSERT_EQ(Request('L'), std::string(1, kAck));
    EXPECT_EQ(TakeRecord(), kV300);
    EXPECT_EQ(TakeRecord(), kRecA);
    EXPECT_EQ(peer.Read(1), "?");
    EXPECT_EQ(host.WaitFinished(), IDM_INVALID_RECORD);
}

TEST_F(RestoreTest, UnversionedFileSendsItsTLineLikeAnyRecord) {
    std::string path = Path("MEM.ORV");
    WriteFileBytes(path, kRecA + "T");
    port.ArmTransfer(path, Restore);
    ASSERT_EQ(Request('L'), std::string(1, kAck));
    EXPECT_EQ(TakeRecord(), kRecA);
    EXPECT_EQ(TakeRecord(), "T\r\n");  // a last line, sent with its line end
    EXPECT_EQ(peer.Read(3), "END");
    EXPECT_EQ(port.Format(), Unversioned);
}

TEST_F(RestoreTest, ChainOfThreeDisksIsFollowedWithAPromptPerDisk) {
    SetRemovableDriveTest([](const std::string&) { return true; });
    std::string first = Path("MEM.ORV");
    fs::path store = dir / "other-disks";
    fs::create_directory(store);
    WriteFileBytes(first, kV300 + kRecA + "T");
    WriteFileBytes(store / "MEM2.ORV", kRecB + "T");
    WriteFileBytes(store / "MEM3.ORV", kRecA);
    // Each prompt: the previous disk comes out, the next goes in.
    int disk = 1;
    host.SetOnPrompt([&](int code) {
        EXPECT_EQ(code, TN_INSERT_CONTINUATION);
        ++disk;
        std::string name = "MEM" + std::to_string(disk) + ".ORV";
        fs::rename(store / name, dir / name);
        return true;
    });
    port.ArmTransfer(first, Restore);
    ASSERT_EQ(Request('L'), std::string(1, kAck));
    EXPECT_EQ(TakeRecord(), kV300);
    EXPECT_EQ(TakeRecord(), kRecA);
    EXPECT_EQ(peer.Read(1), std::string(1, kEnq));
    EXPECT_EQ(TakeRecord(), kRecB);
    EXPECT_EQ(peer.Read(1), std::string(1, kEnq));
    EXPECT_EQ(TakeRecord(), kRecA);
    EXPECT_EQ(peer.Read(3), "END");
    EXPECT_EQ(host.WaitFinished(), IDM_TRANSFER_COMPLETED);
    EXPECT_EQ(host.PromptFileNames(),
              (std::vector<std::string>{Path("MEM2.ORV"), Path("MEM3.ORV")}));
    EXPECT_EQ(host.RecentFiles(), std::vector<std::string>{first});  // continuations never
    EXPECT_EQ(port.CurrentFileName(), first);
}

TEST_F(RestoreTest, MissingContinuationIsAskedForAgainUntilCancelled) {
    SetRemovableDriveTest([](const std::string&) { return true; });
    std::string first = Path("MEM.ORV");
    WriteFileBytes(first, kV300 + "T");
    int prompts = 0;
    host.SetOnPrompt([&](int) { return ++prompts < 3; });
    port.ArmTransfer(first, Restore);
    ASSERT_EQ(Request('L'), std::string(1, kAck));
    EXPECT_EQ(TakeRecord(), kV300);
    EXPECT_EQ(host.WaitFinished(), IDM_TRANSFER_CANCELLED);
    EXPECT_EQ(prompts, 3);
}

TEST_F(RestoreTest, UnreadableFileIsNotArmed) {
    std::string path = Path("missing.ORV");
    port.ArmTransfer(path, Restore);
    EXPECT_FALSE(port.IsArmed());
    EXPECT_EQ(host.Messages(), std::vector<std::string>{FormatString(IDM_FILE_NOT_FOUND, path)});
}

TEST_F(RestoreTest, EndMarkReachesTheDeviceWhenThePortClosesAtOnce) {
    std::string path = Path("MEM.ORV");
    WriteFileBytes(path, kV300);
    port.ArmTransfer(path, Restore);
    ASSERT_EQ(Request('L'), std::string(1, kAck));
    EXPECT_EQ(TakeRecord(), kV300);
    EXPECT_EQ(host.WaitFinished(), IDM_TRANSFER_COMPLETED);
    port.ClosePort();
    EXPECT_EQ(peer.Read(3), "END");
}

}  // namespace
}  // namespace orv::test
