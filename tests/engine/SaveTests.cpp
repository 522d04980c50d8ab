// Saves over a pseudo-terminal, the device end scripted byte by byte.
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include "core/StringTable.h"
#include "tests/engine/EngineFixture.h"

namespace orv::test {
namespace {

namespace fs = std::filesystem;

class SaveTest : public EngineFixture {
protected:
    // Every layout the receiver knows, as the device sends them.
    static std::vector<std::string> AllLayouts() {
        return {
            "V300\r\n",
            DeviceRecord('A', {3, 1, 2, 3}),
            DeviceRecord('B', {0}),
            DeviceRecord('R', {2, 0xFF, 0xFE}),
            DeviceRecord('a', {1, 0x41}),
            DeviceRecord('b', {1, 0x42}),
            DeviceRecord('C', {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}),
            DeviceRecord('c', {12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1}),
            DeviceRecord('D', {2, 0xAA, 0xBB, 3, 1, 2, 3}),
            DeviceRecord('I', {0, 1, 0x10}),
            DeviceRecord('M', {1, 0x55, 0}),
            DeviceRecord('P', {0, 2, 7, 8}),
            DeviceRecord('d', {0, 0}),
            DeviceRecord('m', {0x77, 1, 0x10, 1, 0x20}),
            DeviceRecord('K', std::vector<int>(256, 0x5A)),
            DeviceRecord('k', std::vector<int>(256, 0x00)),
            DeviceRecord('N', {2, 0x1C, 0x00}),
            DeviceRecord('n', {0}),
            DeviceRecord('U', {1, 0x99}),
            DeviceRecord('X', {0x01, 2, 0x30, 0x31}),
            DeviceRecord('x', {0x01, 0x02, 1, 0x30}),
            "vAB 12\r\n",
        };
    }
};

TEST_F(SaveTest, RecordsOfEveryLayoutAreStoredOnceEachWithCrLf) {
    std::string path = Path("MEM.ORV");
    port.ArmTransfer(path, Save);
    ASSERT_EQ(Request('S'), std::string(1, kAck));
    std::string expected;
    size_t bytes = 0;
    for (const std::string& r : AllLayouts()) {
        // The device's own line ends do not matter: LF only, or extra CR LF between records.
        std::string wire = r;
        if (r[0] == 'B') {
            wire = r.substr(0, r.size() - 2) + "\n";
        } else if (r[0] == 'C') {
            wire = "\r\n" + r;
        }
        ASSERT_EQ(SendRecord(wire), std::string(1, kAck)) << r;
        expected += r;
        bytes += r.size();
    }
    peer.Send("END");
    EXPECT_EQ(peer.Read(1), std::string(1, kAck));
    EXPECT_EQ(host.WaitFinished(), IDM_TRANSFER_COMPLETED);
    EXPECT_EQ(ReadFileBytes(path), expected);
    EXPECT_EQ(host.BytesAdded(), static_cast<long long>(bytes));
    EXPECT_EQ(host.RecentFiles(), std::vector<std::string>{path});
    EXPECT_FALSE(port.IsArmed());  // every transfer needs a new arming
    // Only the memory file is left in the folder: no temporary file.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);
}

TEST_F(SaveTest, DamagedRecordsAreAskedForAgainAndKeptOnce) {
    std::string path = Path("MEM.ORV");
    port.ArmTransfer(path, Save);
    ASSERT_EQ(Request('s'), std::string(1, kAck));
    std::string good = DeviceRecord('A', {2, 0xAB, 0xCD});
    std::string badSum = good;
    badSum[badSum.size() - 3] = badSum[badSum.size() - 3] == '0' ? '1' : '0';
    std::string lowerHex = "A02abcd85\r\n";
    std::string unknownLetter = "Q0102FC\r\n";

    EXPECT_EQ(SendRecord(badSum), std::string(1, kRetry));
    EXPECT_EQ(SendRecord(good), std::string(1, kAck));
    peer.Send(lowerHex);
    EXPECT_EQ(peer.Read(1), std::string(1, kRetry));
    peer.ReadQuiet(100);
    EXPECT_EQ(SendRecord(good), std::string(1, kAck));
    peer.Send(unknownLetter);
    EXPECT_EQ(peer.Read(1), std::string(1, kRetry));
    peer.ReadQuiet(600);  // the rest of the unknown record is read as further junk
    EXPECT_EQ(SendRecord(good), std::string(1, kAck));
    peer.Send("END");
    EXPECT_EQ(peer.Read(1), std::string(1, kAck));
    EXPECT_EQ(host.WaitFinished(), IDM_TRANSFER_COMPLETED);
    EXPECT_EQ(ReadFileBytes(path), good + good + good);
}

TEST_F(SaveTest, LineNoiseAndAShortVersionAreAskedForAgainAndTheFileRestores) {
    std::string path = Path("MEM.ORV");
    port.ArmTransfer(path, Save);
    ASSERT_EQ(Request('S'), std::string(1, kAck));
    const std::vector<std::string> good = {"V300\r\n", DeviceRecord('A', {2, 0x11, 0x8F}),
                                           "vAB 1\r\n", DeviceRecord('B', {0})};
    // Each piece of noise is exactly what the receiver reads before it judges.
    const std::vector<std::string> noise = {"V3\r\n", std::string("V\x11\x8F\x02", 4),
                                            std::string("V\0\xFF\x13", 4), "V\t00"};
    for (size_t i = 0; i < good.size(); ++i) {
        EXPECT_EQ(SendRecord(noise[i]), std::string(1, kRetry)) << Hex(noise[i]);
        EXPECT_EQ(SendRecord(good[i]), std::string(1, kAck)) << good[i];
    }
    peer.Send("END");
    EXPECT_EQ(peer.Read(1), std::string(1, kAck));
    EXPECT_EQ(host.WaitFinished(), IDM_TRANSFER_COMPLETED);
    std::string all;
    for (const std::string& r : good) {
        all += r;
    }
    EXPECT_EQ(ReadFileBytes(path), all);

    WaitIdle();
    port.ArmTransfer(path, Restore);
    ASSERT_EQ(Request('L'), std::string(1, kAck));
    for (const std::string& r : good) {
        EXPECT_EQ(TakeRecord(), r);
    }
    EXPECT_EQ(peer.Read(3), "END");
    EXPECT_EQ(host.WaitFinished(), IDM_TRANSFER_COMPLETED);
}

TEST_F(SaveTest, ASaveKeepsTheBackupsPermissionsOwnerAndLink) {
    fs::create_directory(dir / "backups");
    const std::string real = Path("backups/monday.ORV");
    WriteFileBytes(real, "earlier\r\n");
    // Only a privileged process may give a file to someone else.
    const bool ownerChanged = SetModeAndOtherOwner(real, 0600);
    fs::create_symlink("backups/monday.ORV", dir / "current.ORV");
    const std::string rec = DeviceRecord('A', {1, 0x42});

    port.ArmTransfer(Path("current.ORV"), Save);
    ASSERT_EQ(Request('S'), std::string(1, kAck));
    // While the save runs its data sits beside the real file, no more
    // readable than the backup it replaces.
    bool sawTemporary = false;
    host.SetOnAddBytes([&] {
        for (const auto& entry : fs::directory_iterator(dir / "backups")) {
            if (entry.path() != fs::path(real)) {
                sawTemporary = true;
                EXPECT_EQ(entry.status().permissions(),
                          fs::perms::owner_read | fs::perms::owner_write);
            }
        }
    });
    ASSERT_EQ(SendRecord(rec), std::string(1, kAck));
    peer.Send("END");
    EXPECT_EQ(peer.Read(1), std::string(1, kAck));
    EXPECT_EQ(host.WaitFinished(), IDM_TRANSFER_COMPLETED);
    EXPECT_TRUE(sawTemporary);

    EXPECT_TRUE(fs::is_symlink(dir / "current.ORV"));
    EXPECT_EQ(fs::read_symlink(dir / "current.ORV"), "backups/monday.ORV");
    EXPECT_EQ(ReadFileBytes(real), rec);
    ExpectModeAndOwner(real, 0600, ownerChanged);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "backups"), fs::directory_iterator()), 1);

    // A new file gets what the umask leaves.
    WaitIdle();
    mode_t oldMask = ::umask(027);
    port.ArmTransfer(Path("NEW.ORV"), Save);
    ASSERT_EQ(Request('S'), std::string(1, kAck));
    peer.Send("END");
    EXPECT_EQ(peer.Read(1), std::string(1, kAck));
    EXPECT_EQ(host.WaitFinished(), IDM_TRANSFER_COMPLETED);
    ::umask(oldMask);
    ExpectModeAndOwner(Path("NEW.ORV"), 0640, false);
}

TEST_F(SaveTest, QuestionMarkFromTheDeviceHaltsTheSave) {
    std::string path = Path("MEM.ORV");
    port.ArmTransfer(path, Save);
    ASSERT_EQ(Request('S'), std::string(1, kAck));
    ASSERT_EQ(SendRecord(DeviceRecord('A', {1, 1})), std::string(1, kAck));
    peer.Send("?");
    EXPECT_EQ(peer.Read(1), "?");
    EXPECT_EQ(host.WaitFinished(), IDM_HALTED_BY_DEVICE);
    // The file was never written: the recent files do not name it.
    EXPECT_FALSE(fs::exists(path));
    EXPECT_TRUE(host.RecentFiles().empty());
}

TEST_F(SaveTest, CancelActsAtOnceAndEndsWithCancelled) {
    std::string path = Path("MEM.ORV");
    port.ArmTransfer(path, Save);
    ASSERT_EQ(Request('S'), std::string(1, kAck));
    ASSERT_EQ(SendRecord(DeviceRecord('A', {1, 1})), std::string(1, kAck));
    auto start = std::chrono::steady_clock::now();
    port.SetCancel();
    EXPECT_EQ(peer.Read(1), "?");
    EXPECT_EQ(host.WaitFinished(), IDM_TRANSFER_CANCELLED);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
}

TEST_F(SaveTest, RequestOfAnotherKindIsRefusedWithRetryByteAndCancelled) {
    std::string path = Path("MEM.ORV");
    WriteFileBytes(path, "V300\r\n");
    port.ArmTransfer(path, Restore);
    EXPECT_EQ(Request('S'), std::string(1, kRetry));
    EXPECT_EQ(host.WaitFinished(), IDM_TRANSFER_CANCELLED);
    for (int i = 0; i < 100 && host.Messages().empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(ReadFileBytes(path), "V300\r\n");
    // With no progress display the text is shown as well.
    EXPECT_EQ(host.Messages(), std::vector<std::string>{LoadString(IDM_TRANSFER_CANCELLED)});
}

TEST_F(SaveTest, RequestWithoutArmingAsksForAFile) {
    host.SetFileForRequest(Path("ASKED.ORV"));
    ASSERT_EQ(Request('S'), std::string(1, kAck));
    peer.Send("END");
    EXPECT_EQ(peer.Read(1), std::string(1, kAck));
    EXPECT_EQ(host.WaitFinished(), IDM_TRANSFER_COMPLETED);
    EXPECT_TRUE(fs::exists(dir / "ASKED.ORV"));
    EXPECT_EQ(host.Codes().front(), TN_SAVE_REQUEST);
}

TEST_F(SaveTest, TextSaveKeepsOnlyTheTextOfNRecords) {
    std::string path = Path("NOTES.TXT");
    port.ArmTransfer(path, Save);
    ASSERT_EQ(Request('O'), std::string(1, kAck));
    EXPECT_EQ(port.Format(), Text);
    ASSERT_EQ(SendRecord("N1600000100000000000000000000160000001600000016A6\r\n"),
              std::string(1, kAck));
    ASSERT_EQ(SendRecord(DeviceRecord('n', {6, 'H', 'i', 0x00, '!', 0x0D, 0x00})),
              std::string(1, kAck));
    ASSERT_EQ(SendRecord(DeviceRecord('n', {2, 'O', 'K'})), std::string(1, kAck));
    ASSERT_EQ(SendRecord("n00FF\r\n"), std::string(1, kAck));
    peer.Send("end");
    EXPECT_EQ(peer.Read(1), std::string(1, kAck));
    EXPECT_EQ(host.WaitFinished(), IDM_TRANSFER_COMPLETED);
    EXPECT_EQ(ReadFileBytes(path), "Hi!\r\nOK");
}

TEST_F(SaveTest, HandshakeIgnoresRepeatedRequestAndSurvivesAnUnexpectedByte) {
    std::string path = Path("MEM.ORV");
    port.ArmTransfer(path, Save);
    peer.Send("?");
    EXPECT_EQ(peer.Read(1), "C");
    peer.Send("Z");  // not an operation: back to waiting, nothing sent
    EXPECT_EQ(peer.ReadQuiet(300), "");
    EXPECT_TRUE(port.IsArmed());
    peer.Send("?");
    EXPECT_EQ(peer.Read(1), "C");
    peer.Send("?");  // a second request during the handshake is absorbed
    peer.Send("i");  // Corvane has no icon import: ignored
    peer.Send("S");
    EXPECT_EQ(peer.Read(1), std::string(1, kAck));
    peer.Send("END");
    EXPECT_EQ(peer.Read(1), std::string(1, kAck));
    EXPECT_EQ(host.WaitFinished(), IDM_TRANSFER_COMPLETED);
}

TEST_F(SaveTest, RequestWhileAnotherWindowIsActiveStartsNothing) {
    port.ArmTransfer(Path("MEM.ORV"), Save);
    host.foreground = false;
    peer.Send("?");
    EXPECT_EQ(peer.ReadQuiet(400), "");
    host.foreground = true;
    peer.Send("?");
    EXPECT_EQ(peer.Read(1), "C");
}

TEST_F(SaveTest, HandshakeTimeOutEndsWithTimeOutAndRetryByte) {
    port.ArmTransfer(Path("MEM.ORV"), Save);
    peer.Send("?");
    EXPECT_EQ(peer.Read(1), "C");
    EXPECT_EQ(peer.Read(1, 2500), std::string(1, kRetry));
    EXPECT_EQ(host.WaitFinished(), IDM_COMM_TIMEOUT);
    EXPECT_FALSE(fs::exists(dir / "MEM.ORV"));
}

TEST_F(SaveTest, UncreatableFileIsReportedThenAborted) {
    std::string path = Path("missing-folder/MEM.ORV");
    port.ArmTransfer(path, Save);
    peer.Send("?");
    EXPECT_EQ(peer.Read(1), "C");
    peer.Send("S");
    EXPECT_EQ(peer.Read(1), "?");  // started: the abort byte
    EXPECT_EQ(host.WaitFinished(), IDM_TRANSFER_ABORTED);
    ASSERT_FALSE(host.Messages().empty());
    EXPECT_EQ(host.Messages().front(), FormatString(IDM_FILE_NOT_FOUND, path));
}

}  // namespace
}  // namespace orv::test
