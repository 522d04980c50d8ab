// orv-cli on the wire as a device sees it: nothing after the end mark, an
// adapter pulled out, and a save ended by a signal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <termios.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "core/Catalogue.h"
#include "core/StringTable.h"
#include "devsim/SimulatedDevice.h"
#include "tests/cli/CliTestSupport.h"

namespace orv::test {
namespace {

namespace fs = std::filesystem;
using devsim::OutcomeKind;
using devsim::Script;
using devsim::SimulatedDevice;
using Clock = std::chrono::steady_clock;

class WireTest : public CliTest {
protected:
    std::vector<std::string> PortArgs(const std::string& port) const {
        return {"--port", port, "--model", "Mirelda", "--timeout", "1"};
    }

    // The hidden partial files of ORV's in the test folder.
    std::vector<std::string> PartialFiles() const {
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(dir.Path())) {
            std::string name = entry.path().filename().string();
            if (name.find(".orv-partial-") != std::string::npos) {
                found.push_back(name);
            }
        }
        return found;
    }

    // Waits until the device has sent count records of a save.
    static bool WaitRecordsSent(const SimulatedDevice& device, size_t count) {
        for (int i = 0; i < 1000; ++i) {
            if (device.Progress().recordsSent >= count) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    // A save of many paced records, started in the background.
    pid_t StartSlowSave(SimulatedDevice& device) {
        device.SetMemory(devsim::MakeSampleMemory(kModelMirelda, 400));
        Script save;
        save.letter = 'S';
        save.repeatRequestMs = 100;
        save.bytesPerSecond = 4000;
        device.Start(save);
        std::vector<std::string> args = PortArgs(device.PortPath());
        args.insert(args.end(), {"save", "MEM.ORV"});
        return StartCli(args);
    }
};

TEST_F(WireTest, CompletedRestoresAndImportsSendNothingAfterTheEndMark) {
    SimulatedDevice device(kModelMirelda);
    WriteFileBytes(dir / "MEM.ORV", Joined(devsim::MakeSampleMemory(kModelMirelda, 4)));
    std::string sound = "RIFF";
    for (int i = 0; i < 60; ++i) {
        sound += static_cast<char>(i * 7);
    }
    WriteFileBytes(dir / "hello.wav", sound);
    for (int run = 0; run < 32; ++run) {
        bool restore = run % 2 == 0;
        Script script;
        script.letter = restore ? 'L' : 'V';
        script.repeatRequestMs = 50;
        script.listenAfterEndMs = 300;
        device.Start(script);
        std::vector<std::string> args = PortArgs(device.PortPath());
        if (restore) {
            args.insert(args.end(), {"restore", "MEM.ORV"});
        } else {
            args.insert(args.end(), {"import-sound", "hello.wav"});
        }
        Result r = Cli(args);
        std::optional<devsim::Outcome> out = device.Wait(std::chrono::seconds(15));
        ASSERT_TRUE(out) << "run " << run;
        ASSERT_EQ(r.exitCode, 0) << "run " << run << "\n" << r.out << r.err;
        ASSERT_EQ(out->kind, OutcomeKind::Completed) << "run " << run << devsim::Summary(*out);
        ASSERT_EQ(out->afterEnd, "") << "run " << run << ": bytes after the end mark";
    }
}

TEST_F(WireTest, AdapterPulledOutWhileWaitingEndsWithExitThreeNamingThePort) {
    int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    char name[128];
    ASSERT_EQ(::ptsname_r(master, name, sizeof name), 0);
    std::vector<std::string> args = PortArgs(name);
    args.insert(args.end(), {"save", "MEM.ORV"});
    pid_t pid = StartCli(args);
    ASSERT_GT(pid, 0);
    // The instructions are printed once the port is open.
    const std::string instructions = LoadString(InstructionsId(ModelIndexOf(kModelMirelda)));
    auto opened = [&] {
        return fs::exists(dir / "stdout") &&
               ReadFileBytes(dir / "stdout").find(instructions) != std::string::npos;
    };
    for (int i = 0; i < 1000 && !opened(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(opened());
    auto unplugged = Clock::now();
    ::close(master);
    Result r = FinishCli(pid);
    EXPECT_LT(Clock::now() - unplugged, std::chrono::seconds(2 * 1 + 2));
    EXPECT_EQ(r.exitCode, 3) << r.out << r.err;
    EXPECT_NE(r.err.find(FormatString(IDM_PORT_GONE, name)), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir / "MEM.ORV"));
}

TEST_F(WireTest, HangUpSignalEndsASaveAsCancelledAndKeepsItsData) {
    SimulatedDevice device(kModelMirelda);
    WriteFileBytes(dir / "MEM.ORV", "earlier\r\n");
    pid_t pid = StartSlowSave(device);
    ASSERT_TRUE(WaitRecordsSent(device, 20));
    ::kill(pid, SIGHUP);
    Result r = FinishCli(pid);
    std::optional<devsim::Outcome> out = device.Wait(std::chrono::seconds(15));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find(LoadString(IDM_TRANSFER_CANCELLED)), std::string::npos) << r.out;
    ASSERT_TRUE(out);
    EXPECT_EQ(out->kind, OutcomeKind::Aborted) << devsim::Summary(*out);
    EXPECT_EQ(ReadFileBytes(dir / "MEM.ORV"), "earlier\r\n");
    std::string kept = ReadFileBytes(dir / "MEM==INCOMPLETE==.ORV");
    EXPECT_GE(kept.size(), 20u * 10);
    EXPECT_EQ(Joined(device.Memory()).substr(0, kept.size()), kept);
    EXPECT_TRUE(PartialFiles().empty());
}

TEST_F(WireTest, SaveKilledOutrightLeavesItsPartialFileOnlyUntilTheNextSave) {
    SimulatedDevice device(kModelMirelda);
    WriteFileBytes(dir / "MEM.ORV", "earlier\r\n");
    pid_t pid = StartSlowSave(device);
    ASSERT_TRUE(WaitRecordsSent(device, 20));
    ::kill(pid, SIGKILL);
    EXPECT_EQ(FinishCli(pid).exitCode, -1);
    device.Stop();
    // The earlier backup is untouched; what was saved lies in the hidden file.
    EXPECT_EQ(ReadFileBytes(dir / "MEM.ORV"), "earlier\r\n");
    std::vector<std::string> left = PartialFiles();
    ASSERT_EQ(left.size(), 1u);
    std::string partial = ReadFileBytes(dir / left[0]);
    EXPECT_GE(partial.size(), 20u * 10);
    EXPECT_EQ(Joined(device.Memory()).substr(0, partial.size()), partial);

    device.SetMemory(devsim::MakeSampleMemory(kModelMirelda, 5));
    Script save;
    save.letter = 'S';
    Result r = Serve(device, save, {"save", "OTHER.ORV"});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_EQ(ReadFileBytes(dir / "OTHER.ORV"), Joined(device.Memory()));
    EXPECT_TRUE(PartialFiles().empty());
}

}  // namespace
}  // namespace orv::test
