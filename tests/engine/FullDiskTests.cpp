// Saves that fill their disk: each file of a save may hold 64 KiB, as if
// alone on a small disk, and a write past that fails as a full disk does.
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "core/StringTable.h"
#include "engine/RemovableDrive.h"
#include "engine/TransferFile.h"
#include "tests/engine/EngineFixture.h"

namespace orv::test {
namespace {

namespace fs = std::filesystem;

constexpr off_t kDiskBytes = 64 * 1024;

// Writes what fits below the budget; once nothing fits, ENOSPC.
ssize_t WriteWithinBudget(int fd, const char* data, size_t count, off_t offset) {
    if (offset >= kDiskBytes) {
        errno = ENOSPC;
        return -1;
    }
    size_t room = static_cast<size_t>(kDiskBytes - offset);
    return ::pwrite(fd, data, count < room ? count : room, offset);
}

class FullDiskTest : public EngineFixture {
protected:
    void SetUp() override {
        disk = dir / "disk";
        fs::create_directory(disk);
        SetSaveWriter(WriteWithinBudget);
        EngineFixture::SetUp();
    }
    void TearDown() override {
        EngineFixture::TearDown();
        SetSaveWriter(nullptr);
    }

    // A record of 517 characters; its bytes tell its number.
    static std::string BigRecord(int number) {
        std::vector<int> bytes(256);
        for (int i = 0; i < 256; ++i) {
            bytes[static_cast<size_t>(i)] = (number * 7 + i) & 0xFF;
        }
        return DeviceRecord('K', bytes);
    }

    // The device sends a record and waits for its ACK, sitting out ENQ pauses.
    std::string Deliver(const std::string& record) {
        peer.Send(record);
        std::string reply = peer.Read(1);
        while (reply == std::string(1, kEnq)) {
            reply = peer.Read(1, 10000);
        }
        return reply;
    }

    fs::path disk;
};

TEST_F(FullDiskTest, SaveGoesOnAcrossThreeDisksWithWholeRecordsInEach) {
    SetRemovableDriveTest([](const std::string&) { return true; });
    fs::path shelf = dir / "shelf";
    fs::create_directory(shelf);
    // A disk change: everything on the disk goes to the shelf, the disk is empty again.
    host.SetOnPrompt([&](int code) {
        EXPECT_EQ(code, TN_DISK_FULL);
        for (const auto& e : fs::directory_iterator(disk)) {
            fs::copy_file(e.path(), shelf / e.path().filename());
            fs::remove(e.path());
        }
        return true;
    });
    std::string first = (disk / "MEM.ORV").string();
    port.ArmTransfer(first, Save);
    ASSERT_EQ(Request('S'), std::string(1, kAck));
    std::string all;
    for (int i = 0; i < 300; ++i) {
        std::string r = BigRecord(i);
        ASSERT_EQ(Deliver(r), std::string(1, kAck)) << "record " << i;
        all += r;
    }
    peer.Send("END");
    EXPECT_EQ(peer.Read(1), std::string(1, kAck));
    EXPECT_EQ(host.WaitFinished(), IDM_TRANSFER_COMPLETED);
    port.ClosePort();

    std::string one = ReadFileBytes(shelf / "MEM.ORV");
    std::string two = ReadFileBytes(shelf / "MEM2.ORV");
    std::string three = ReadFileBytes(disk / "MEM3.ORV");
    ASSERT_FALSE(one.empty());
    ASSERT_FALSE(two.empty());
    EXPECT_EQ(one.back(), 'T');
    EXPECT_EQ(two.back(), 'T');
    EXPECT_NE(three.back(), 'T');
    EXPECT_EQ(one.substr(0, one.size() - 1) + two.substr(0, two.size() - 1) + three, all);
    EXPECT_EQ(host.PromptFileNames(), (std::vector<std::string>{(disk / "MEM2.ORV").string(),
                                                                (disk / "MEM3.ORV").string()}));
    EXPECT_EQ(host.RecentFiles(), std::vector<std::string>{first});
    EXPECT_EQ(std::distance(fs::directory_iterator(disk), fs::directory_iterator()), 1);
}

TEST_F(FullDiskTest, FullFixedDiskAbortsAndLeavesTheEarlierFileIntact) {
    std::string target = (disk / "MEM.ORV").string();
    WriteFileBytes(target, "earlier backup\r\n");
    port.ArmTransfer(target, Save);
    ASSERT_EQ(Request('S'), std::string(1, kAck));
    std::string reply;
    int sent = 0;
    while (sent < 300) {
        reply = Deliver(BigRecord(sent));
        ++sent;
        if (reply != std::string(1, kAck)) {
            break;
        }
    }
    EXPECT_EQ(reply, "?");
    EXPECT_EQ(host.WaitFinished(), IDM_TRANSFER_ABORTED);
    port.ClosePort();
    EXPECT_EQ(host.Messages(), std::vector<std::string>{FormatString(IDM_FILE_DISK_FULL, target)});
    EXPECT_EQ(ReadFileBytes(target), "earlier backup\r\n");
    // What did fit is kept under the incomplete name, in whole records.
    std::string kept = ReadFileBytes(disk / "MEM==INCOMPLETE==.ORV");
    ASSERT_FALSE(kept.empty());
    EXPECT_EQ(kept.size() % BigRecord(0).size(), 0u);
    EXPECT_EQ(kept.substr(0, BigRecord(0).size()), BigRecord(0));
}

}  // namespace
}  // namespace orv::test
