// The save and restore state machines on a scripted line whose time-outs pass
// in no time: time-outs, ENQ, floods of bad records, hang-ups and closing.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

#include "core/Globals.h"
#include "core/StringTable.h"
#include "engine/RemovableDrive.h"
#include "engine/Serial.h"
#include "tests/common/TestSupport.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/engine/FakeLine.h"

namespace orv::test {
namespace {

namespace fs = std::filesystem;

constexpr char kAck = 0x06;
constexpr char kRetry = 0x0F;
constexpr char kEnq = 0x05;
constexpr int kT = 1000;

class FakeLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_nSerialTimeout = kT;
        g_Globals.SelectModel(0);
        g_Globals.BaudIndex = -1;
        SetRemovableDriveTest([](const std::string&) { return false; });
        host.Attach(&port);
        port.SetDevicePath("fake");
        ASSERT_TRUE(port.OpenPort());
        ASSERT_NE(line, nullptr);
    }
    void TearDown() override {
        port.ClosePort();
        host.Stop();
        SetRemovableDriveTest(nullptr);
        g_nSerialTimeout = kDefaultSerialTimeout;
    }

    // The device asks (`?`) and names the operation when answered with C;
    // then answers what the engine sends (a control byte or a whole record)
    // with react (what came, how many such sendings so far).
    void Start(char operation, std::function<void(FakeLine&, std::string_view, int)> react) {
        auto pending = std::make_shared<std::string>();
        auto count = std::make_shared<int>(0);
        line->SetDevice([operation, react, pending, count](FakeLine& l, std::string_view written) {
            *pending += written;
            if (pending->size() > 1 && pending->back() != '\n') {
                return;  // the rest of the record follows
            }
            std::string unit;
            unit.swap(*pending);
            if (++*count == 1 && unit == "C") {
                l.Feed(std::string(1, operation));
                return;
            }
            react(l, unit, *count);
        });
        line->Feed("?");
    }

    std::string Path(const std::string& name) const { return (dir / name).string(); }

    CapturingReporter reporter;
    TempDir dir;
    FakeLine* line = nullptr;
    TestHost host;
    // What the line of the next opening already holds, and its device.
    std::string preload;
    FakeLine::Device preloadDevice;
    CORVSerialPort port{host, [this] {
                            auto l = std::make_unique<FakeLine>();
                            l->SetDevice(preloadDevice);
                            l->Feed(preload);
                            line = l.get();
                            return l;
                        }};
};

TEST_F(FakeLineTest, SaveWaitsOutEnqForgivesThreeTimeOutsPerRecordAndEndsOnTheFourth) {
    std::string path = Path("MEM.ORV");
    WriteFileBytes(path, "earlier backup\r\n");
    const std::string rec1 = DeviceRecord('A', {1, 0x11});
    const std::string rec2 = DeviceRecord('A', {1, 0x22});
    port.ArmTransfer(path, Save);
    Start('S', [&](FakeLine& l, std::string_view w, int n) {
        if (w != std::string(1, kAck)) {
            return;  // retries: the silence scripted goes on
        }
        if (n == 2) {  // the transfer starts: the device pauses with ENQ for ten time-outs
            l.Feed(std::string(1, kEnq));
            l.Silence(10 * kT);
            l.Feed(rec1);
        } else if (n == 3) {  // three time-outs, then the record
            l.Silence(3 * kT + kT / 2);
            l.Feed(rec2);
        } else {
            l.Silence(100 * kT);  // gone quiet
        }
    });
    // The working folder is elsewhere: the partial file stays beside its target.
    fs::path oldCwd = fs::current_path();
    TempDir elsewhere;
    fs::current_path(elsewhere.Path());
    int outcome = host.WaitFinished();
    port.ClosePort();
    fs::current_path(oldCwd);

    EXPECT_EQ(outcome, IDM_COMM_TIMEOUT);
    std::string retries(3, kRetry);
    EXPECT_EQ(line->Written(), "C" + std::string(2, kAck) + retries + kAck + retries + "?")
        << Hex(line->Written());
    EXPECT_GE(line->NowMs(), 10 * kT + 3 * kT + 4 * kT);
    EXPECT_EQ(ReadFileBytes(path), "earlier backup\r\n");
    EXPECT_EQ(ReadFileBytes(dir / "MEM==INCOMPLETE==.ORV"), rec1 + rec2);
    EXPECT_TRUE(fs::is_empty(elsewhere.Path()));
}

TEST_F(FakeLineTest, SaveTakesRecordsHoweverTheLineCutsThemAndTimesOutOnlyOnSilence) {
    std::string path = Path("MEM.ORV");
    std::vector<std::string> recs;
    for (int i = 1; i <= 5; ++i) {
        recs.push_back(DeviceRecord('A', {1, 0x10 * i}));
    }
    std::string badRec4 = recs[3];
    badRec4[badRec4.size() - 3] ^= 1;  // a checksum digit
    auto acks = std::make_shared<int>(0);
    port.ArmTransfer(path, Save);
    Start('S', [&, acks](FakeLine& l, std::string_view w, int) {
        if (w == std::string(1, kRetry)) {
            if (*acks == 4) {
                l.Feed(recs[3]);  // sent again after the bad one
            }
            return;
        }
        switch (++*acks) {
            case 1:  // cut inside a hex pair, and quiet for less than the time-out
                l.Feed(recs[0].substr(0, 2));
                l.Silence(kT * 9 / 10);
                l.Feed(recs[0].substr(2));
                break;
            case 2:  // two records in one read
                l.Feed(recs[1] + recs[2]);
                break;
            case 4:  // a bad record and the start of another: both thrown away
                l.Feed(badRec4 + recs[4].substr(0, 3));
                break;
            case 5:  // half a record, then nothing
                l.Feed(recs[4].substr(0, 3));
                l.Silence(100 * kT);
                break;
            default:
                break;
        }
    });
    EXPECT_EQ(host.WaitFinished(), IDM_COMM_TIMEOUT);
    port.ClosePort();
    std::string ack(1, kAck);
    std::string retry(1, kRetry);
    EXPECT_EQ(line->Written(),
              "C" + ack + ack + ack + ack + retry + ack + retry + retry + retry + "?")
        << Hex(line->Written());
    EXPECT_GE(line->NowMs(), kT * 9 / 10 + 4 * kT);
    EXPECT_EQ(ReadFileBytes(dir / "MEM==INCOMPLETE==.ORV"), recs[0] + recs[1] + recs[2] + recs[3]);
}

TEST_F(FakeLineTest, RestoreSendsARecordFourTimesThroughSilenceThenEndsTimedOut) {
    std::string path = Path("MEM.ORV");
    WriteFileBytes(path, "V300\r\n");
    port.ArmTransfer(path, Restore);
    Start('L', [](FakeLine& l, std::string_view w, int) {
        if (!w.empty() && w.back() == '\n') {
            l.Silence(kT);  // no answer
        }
    });
    EXPECT_EQ(host.WaitFinished(), IDM_COMM_TIMEOUT);
    std::string sent = line->Written();
    std::string expected = "C" + std::string(1, kAck);
    for (int i = 0; i < 4; ++i) {
        expected += "V300\r\n";
    }
    EXPECT_EQ(sent, expected + "?") << Hex(sent);
}

TEST_F(FakeLineTest, FloodOfOverLongRecordsIsRefusedWithoutAnInternalError) {
    std::string path = Path("MEM.ORV");
    const std::string good = DeviceRecord('A', {1, 0x33});
    // D layout with k = 255 and n = 255: 1027 characters, more than a record may have.
    std::vector<int> bytes = {255};
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < 255; ++i) {
            bytes.push_back(i);
        }
        if (pass == 0) {
            bytes.push_back(255);
        }
    }
    const std::string tooLong = DeviceRecord('D', bytes);
    constexpr int kFlood = 300;
    port.ArmTransfer(path, Save);
    Start('S', [&, refused = 0, sent = false](FakeLine& l, std::string_view w, int n) mutable {
        if (n == 2 || (w == std::string(1, kRetry) && ++refused < kFlood)) {
            l.Feed(tooLong);
        } else if (w == std::string(1, kRetry)) {
            l.Feed(good);
        } else if (w == std::string(1, kAck) && !sent) {
            sent = true;
            l.Feed("END");
        }
    });
    EXPECT_EQ(host.WaitFinished(), IDM_TRANSFER_COMPLETED);
    EXPECT_EQ(ReadFileBytes(path), good);
    std::string written = line->Written();
    EXPECT_EQ(std::count(written.begin(), written.end(), kRetry), kFlood);
    EXPECT_TRUE(reporter.Messages().empty()) << reporter.Messages().front();
    EXPECT_TRUE(host.Messages().empty());
}

TEST_F(FakeLineTest, HangUpEndsARunningTransferAtOnceAndTheIdleWorkerTellsTheHost) {
    std::string path = Path("MEM.ORV");
    WriteFileBytes(path, "V300\r\nA0101FD\r\nA0102FC\r\n");
    port.ArmTransfer(path, Restore);
    Start('L', [](FakeLine& l, std::string_view w, int) {
        if (w == "V300\r\n") {
            l.Feed(std::string(1, kAck));
        } else if (!w.empty() && w.back() == '\n') {
            l.HangUp();  // the adapter is pulled out
        }
    });
    EXPECT_EQ(host.WaitFinished(), IDM_COMM_ERROR);
    EXPECT_TRUE(host.WaitLinkLost());
    EXPECT_TRUE(port.IsLinkLost());
    EXPECT_TRUE(port.IsPortOpen());  // for the host to close
    // No wait through time-outs, and nothing sent again into a dead line.
    EXPECT_EQ(line->NowMs(), 0);
    EXPECT_EQ(line->Written(), "C" + std::string(1, kAck) + "V300\r\nA0101FD\r\n");
    port.ClosePort();
    EXPECT_FALSE(port.IsPortOpen());

    // Opened again, an idle worker hears the hang-up too.
    ASSERT_TRUE(port.OpenPort());
    EXPECT_FALSE(port.IsLinkLost());
    line->HangUp();
    for (int i = 0; i < 500 && !port.IsLinkLost(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_TRUE(port.IsLinkLost());
}

TEST_F(FakeLineTest, ClosingEndsARunningTransferButNeverOneWhoseOutcomeIsOut) {
    std::string path = Path("MEM.ORV");
    WriteFileBytes(path, "V300\r\n");
    // Closed while the progress display still shows the outcome: complete.
    host.holdFinished = true;
    port.ArmTransfer(path, Restore);
    Start('L', [](FakeLine& l, std::string_view w, int) {
        if (w == "V300\r\n") {
            l.Feed(std::string(1, kAck));
        }
    });
    EXPECT_EQ(host.WaitFinished(), IDM_TRANSFER_COMPLETED);
    port.ClosePort();
    EXPECT_EQ(line->Written(), "C" + std::string(1, kAck) + "V300\r\nEND");  // the model's end mark
    host.ReleaseFinished();  // a late answer finds nobody waiting
    host.holdFinished = false;

    // Released and closed at once, as a command-line host does.
    ASSERT_TRUE(port.OpenPort());
    port.ArmTransfer(path, Restore);
    Start('L', [](FakeLine& l, std::string_view w, int) {
        if (w == "V300\r\n") {
            l.Feed(std::string(1, kAck));
        }
    });
    EXPECT_EQ(host.WaitFinished(), IDM_TRANSFER_COMPLETED);
    port.ClosePort();
    EXPECT_EQ(line->Written(), "C" + std::string(1, kAck) + "V300\r\nEND");  // the model's end mark

    // Closed in the middle (the device keeps the engine waiting): cancelled,
    // and the device is told.
    ASSERT_TRUE(port.OpenPort());
    port.ArmTransfer(path, Restore);
    size_t before = host.Codes().size();
    Start('L', [](FakeLine&, std::string_view, int) {});
    for (int i = 0; i < 500 && host.Codes().size() < before + 2; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    auto start = std::chrono::steady_clock::now();
    port.ClosePort();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(kT));
    EXPECT_FALSE(port.IsPortOpen());
    std::string written = line->Written();
    ASSERT_FALSE(written.empty());
    EXPECT_EQ(written.back(), '?') << Hex(written);
    EXPECT_TRUE(reporter.Messages().empty());
}

TEST_F(FakeLineTest, ARequestAlreadyWaitingWhenThePortOpensIsAnswered) {
    preload = "?";
    preloadDevice = [](FakeLine& l, std::string_view w) {
        if (w == "C") {
            l.Feed("S");
        }
    };
    for (int i = 0; i < 20; ++i) {
        port.ClosePort();
        ASSERT_TRUE(port.OpenPort());
        // Not armed and no file offered: refused, as the user's Cancel would.
        EXPECT_EQ(host.WaitFinished(), IDM_TRANSFER_CANCELLED) << "opening " << i;
        EXPECT_EQ(line->Written(), "C" + std::string(1, kRetry)) << Hex(line->Written());
    }
    EXPECT_TRUE(reporter.Messages().empty()) << reporter.Messages().front();
}

}  // namespace
}  // namespace orv::test
