// Opening and closing the serial line, and the memory-file rules beneath the transfers.
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <future>

#include "core/Errors.h"
#include "core/StringTable.h"
#include "engine/ConsoleDevice.h"
#include "engine/PortPermission.h"
#include "engine/SerialLine.h"
#include "engine/TransferFile.h"
#include "tests/engine/EngineFixture.h"

namespace orv::test {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;
using std::chrono::steady_clock;

class LinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_nSerialTimeout = 1000;
        g_Globals.SelectModel(0);
        g_Globals.BaudIndex = -1;
        g_Globals.CommPort = 1;
        host.Attach(&port);
    }
    void TearDown() override {
        port.ClosePort();
        host.Stop();
        g_nSerialTimeout = kDefaultSerialTimeout;
    }
    CapturingReporter reporter;
    PtyPeer peer;
    TestHost host;
    CORVSerialPort port{host};
};

TEST_F(LinkTest, MissingDeviceIsReportedWithThePortName) {
    g_Globals.CommPort = 3;
    EXPECT_FALSE(port.OpenPort());
    EXPECT_FALSE(port.IsPortOpen());
    ASSERT_EQ(host.Messages().size(), 1u);
    EXPECT_EQ(host.Messages()[0], FormatString(IDM_CANNOT_OPEN_PORT, "COM3") + "\n\n" +
                                      FormatString(IDM_PORT_NOT_FOUND, "/nonexistent/ttyORV3"));
    // Mapped to a real (pseudo) device, the same object opens afterwards.
    host.portMap[3] = peer.SlavePath();
    EXPECT_TRUE(port.OpenPort());
    EXPECT_EQ(port.PortName(), "COM3");
}

TEST_F(LinkTest, PortHeldByAnotherProgramIsToldApartFromOtherFailures) {
    port.SetDevicePath(peer.SlavePath());
    ASSERT_TRUE(port.OpenPort());
    TestHost otherHost;
    CORVSerialPort other(otherHost);
    otherHost.Attach(&other);
    other.SetDevicePath(peer.SlavePath());
    EXPECT_FALSE(other.OpenPort());
    ASSERT_EQ(otherHost.Messages().size(), 1u);
    EXPECT_EQ(otherHost.Messages()[0], FormatString(IDM_CANNOT_OPEN_PORT, peer.SlavePath()) +
                                           "\n\n" +
                                           FormatString(IDM_PORT_IN_USE, peer.SlavePath()));
}

TEST_F(LinkTest, FileThatIsNoSerialDeviceIsRefused) {
    TempDir dir;
    WriteFileBytes(dir / "plain", "x");
    port.SetDevicePath((dir / "plain").string());
    EXPECT_FALSE(port.OpenPort());
    ASSERT_EQ(host.Messages().size(), 1u);
    EXPECT_NE(host.Messages()[0].find(FormatString(IDM_PORT_NOT_SERIAL, (dir / "plain").string())),
              std::string::npos);
}

TEST_F(LinkTest, ConsoleDevicesAreRecognisedAndNeverOpened) {
    EXPECT_TRUE(CarriesConsole(makedev(5, 1)));  // /dev/console
    EXPECT_TRUE(CarriesConsole(makedev(4, 1)));  // a virtual console
    EXPECT_FALSE(CarriesConsole(makedev(136, 999)));
    EXPECT_EQ(ParseProcConsoles("ttyS0                -W- (EC p a)    4:64\n"
                                "tty0                 -WU (E  p  )    4:1\n"
                                "garbage line\n"),
              (std::vector<dev_t>{makedev(4, 64), makedev(4, 1)}));
    struct stat st;
    // Only checked through the refusal, which happens before any open.
    if (::stat("/dev/console", &st) == 0 && S_ISCHR(st.st_mode) && CarriesConsole(st.st_rdev)) {
        port.SetDevicePath("/dev/console");
        EXPECT_FALSE(port.OpenPort());
        ASSERT_EQ(host.Messages().size(), 1u);
        EXPECT_NE(host.Messages()[0].find(FormatString(IDM_PORT_IS_CONSOLE, "/dev/console")),
                  std::string::npos);
    }
}

TEST_F(LinkTest, LineIsRawAtTheChosenRateAndPutBackAtClose) {
    struct termios before;
    ASSERT_EQ(::tcgetattr(peer.Fd(), &before), 0);  // the master reports the slave's settings
    g_Globals.BaudIndex = 3;                        // 2125 baud: outside the standard table
    port.SetDevicePath(peer.SlavePath());
    ASSERT_TRUE(port.OpenPort());
    struct termios t;
    ASSERT_EQ(::tcgetattr(peer.Fd(), &t), 0);
    EXPECT_EQ(ReadOutputBaudRate(peer.Fd()), 2125u);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_NE(t.c_cflag & CLOCAL, 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO), 0u);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL), 0u);
    port.ClosePort();
    struct termios after;
    ASSERT_EQ(::tcgetattr(peer.Fd(), &after), 0);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    EXPECT_EQ(after.c_cflag, before.c_cflag);
}

// A USB-serial driver as far as its low-latency flag goes.
struct FakeDriver {
    int flags = 0;
    int setError = 0;  // errno of a refused TIOCSSERIAL
    int sets = 0;
};
FakeDriver g_driver;

int FakeSerialInfo(int, unsigned long request, struct serial_struct* info) {
    if (request == TIOCGSERIAL) {
        info->flags = g_driver.flags;
        return 0;
    }
    if (request == TIOCSSERIAL) {
        ++g_driver.sets;
        if (g_driver.setError != 0) {
            errno = g_driver.setError;
            return -1;
        }
        g_driver.flags = info->flags;
        return 0;
    }
    errno = EINVAL;
    return -1;
}

TEST_F(LinkTest, LowLatencyModeLastsWhileThePortIsOpenAndTheDriverFlagsComeBack) {
    struct Restore {
        ~Restore() { SetSerialInfoCall(nullptr); }
    } restore;
    SetSerialInfoCall(FakeSerialInfo);
    port.SetDevicePath(peer.SlavePath());
    const int others = ASYNC_SKIP_TEST | ASYNC_SPD_VHI;
    const int lowLatency = static_cast<int>(ASYNC_LOW_LATENCY);

    g_driver = {others, 0, 0};
    ASSERT_TRUE(port.OpenPort());
    EXPECT_EQ(g_driver.flags, others | lowLatency);
    port.ClosePort();
    EXPECT_EQ(g_driver.flags, others);

    // Already on: left as found.
    g_driver = {others | lowLatency, 0, 0};
    ASSERT_TRUE(port.OpenPort());
    port.ClosePort();
    EXPECT_EQ(g_driver.flags, others | lowLatency);
    EXPECT_EQ(g_driver.sets, 0);

    // Refused as a normal user, or not supported: the port works without it.
    for (int refusal : {EPERM, EINVAL, ENOTTY}) {
        g_driver = {others, refusal, 0};
        ASSERT_TRUE(port.OpenPort()) << refusal;
        port.ClosePort();
        EXPECT_EQ(g_driver.sets, 1) << "nothing to put back at close";
    }
    EXPECT_TRUE(host.Messages().empty());

    // A driver failing otherwise fails the open and leaves the port free.
    g_driver = {others, EIO, 0};
    EXPECT_FALSE(port.OpenPort());
    ASSERT_EQ(host.Messages().size(), 1u);
    g_driver = {others, 0, 0};
    EXPECT_TRUE(port.OpenPort());
}

TEST_F(LinkTest, ClosingAnIdleLinkIsImmediate) {
    port.SetDevicePath(peer.SlavePath());
    ASSERT_TRUE(port.OpenPort());
    std::this_thread::sleep_for(milliseconds(50));  // the worker is inside its read
    auto start = steady_clock::now();
    port.ClosePort();
    EXPECT_LT(steady_clock::now() - start, milliseconds(500));
    EXPECT_FALSE(port.IsPortOpen());
    EXPECT_TRUE(reporter.Messages().empty());
    // And it opens again.
    EXPECT_TRUE(port.OpenPort());
}

TEST_F(LinkTest, ClosePortGivesUpOnAHungWorkerWithinFiveTimeOuts) {
    g_nSerialTimeout = 200;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    // The worker will block in the host while it reports a file error.
    struct BlockingHost : TestHost {
        std::shared_future<void> gate;
        std::promise<void> returned;  // the worker is done with the host
        void ShowMessage(const std::string&) override {
            gate.wait();
            returned.set_value();
        }
    } blockingHost;
    blockingHost.gate = released;
    TempDir dir;
    {
        CORVSerialPort hung(blockingHost);
        blockingHost.Attach(&hung);
        hung.SetDevicePath(peer.SlavePath());
        ASSERT_TRUE(hung.OpenPort());
        hung.ArmTransfer((dir / "no-such-folder" / "MEM.ORV").string(), Save);
        peer.Send("?");
        ASSERT_EQ(peer.Read(1), "C");
        peer.Send("S");
        std::this_thread::sleep_for(milliseconds(100));
        auto start = steady_clock::now();
        hung.ClosePort();
        auto took = steady_clock::now() - start;
        EXPECT_GE(took, milliseconds(900));
        EXPECT_LT(took, milliseconds(1500));
        EXPECT_FALSE(hung.IsPortOpen());
        ASSERT_EQ(reporter.Messages().size(), 1u);  // the internal error
        EXPECT_NE(reporter.Messages()[0].find("Serial.cpp"), std::string::npos);
    }
    // The engine object is gone; the worker still holds its own state and ends cleanly.
    release.set_value();
    blockingHost.returned.get_future().wait();
    std::this_thread::sleep_for(milliseconds(300));
}

TEST(MemoryFileNames, ContinuationNumberGoesBeforeTheLastDotOfThePath) {
    EXPECT_EQ(ContinuationName("/media/a/MEM.ORV", "2"), "/media/a/MEM2.ORV");
    EXPECT_EQ(ContinuationName("/media/a/MEM", "3"), "/media/a/MEM3");
    EXPECT_EQ(ContinuationName("/media/a.b/MEM", "2"), "/media/a2.b/MEM");
    EXPECT_EQ(ContinuationName("MEM.tar.ORV", "12"), "MEM.tar12.ORV");
}

TEST(MemoryFileNames, IncompleteMarkGoesBeforeTheExtension) {
    EXPECT_EQ(IncompleteFileName("MEM.ORV"), "MEM==INCOMPLETE==.ORV");
    EXPECT_EQ(IncompleteFileName("MEM"), "==INCOMPLETE==MEM");
    EXPECT_EQ(IncompleteFileName("a.b.c"), "a.b==INCOMPLETE==.c");
    EXPECT_EQ(IncompleteFileName(std::string(300, 'x') + ".ORV").size(), 256u);
}

TEST(TransferFileSave, TargetIsReplacedOnlyWhenCommitted) {
    TempDir dir;
    std::string target = (dir / "MEM.ORV").string();
    WriteFileBytes(target, "old");
    mode_t old = ::umask(022);
    {
        TransferFile f;
        f.CreateForSave(target);
        f.Append("A0101FD\r\n");
        EXPECT_EQ(ReadFileBytes(target), "old");
        f.Commit();
        EXPECT_FALSE(f.HasUnfinishedSave());
    }
    ::umask(old);
    EXPECT_EQ(ReadFileBytes(target), "A0101FD\r\n");
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                  fs::perms::others_read);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);
}

TEST(TransferFileSave, UnfinishedSaveNeverOverwritesAnExistingIncompleteFile) {
    TempDir dir;
    std::string target = (dir / "MEM.ORV").string();
    WriteFileBytes(dir / "MEM==INCOMPLETE==.ORV", "first");
    TransferFile f;
    f.CreateForSave(target);
    f.Append("B");
    EXPECT_EQ(f.KeepIncomplete(), (dir / "MEM==INCOMPLETE==2.ORV").string());
    EXPECT_EQ(ReadFileBytes(dir / "MEM==INCOMPLETE==.ORV"), "first");
    EXPECT_EQ(ReadFileBytes(dir / "MEM==INCOMPLETE==2.ORV"), "B");
    EXPECT_FALSE(fs::exists(target));
}

TEST(TransferFileSave, ReadOnlyTargetIsRefusedAtTheStart) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "permissions do not bind the superuser";
    }
    TempDir dir;
    std::string target = (dir / "MEM.ORV").string();
    WriteFileBytes(target, "keep");
    fs::permissions(target, fs::perms::owner_read);
    TransferFile f;
    EXPECT_THROW(f.CreateForSave(target), FileError);
}

TEST(TransferFileRead, LongLinesAreSplitAndNulBytesKept) {
    TempDir dir;
    std::string line(300, 'A');
    line[5] = '\0';
    WriteFileBytes(dir / "f", line + "\r\nB");
    TransferFile f;
    f.OpenForRead((dir / "f").string());
    EXPECT_EQ(f.Length(), 303);
    char buf[1024];
    EXPECT_EQ(f.ReadLine(buf, 239), 239);
    EXPECT_EQ(buf[5], '\0');
    EXPECT_EQ(f.ReadLine(buf, 239), 63);
    EXPECT_EQ(std::string(buf + 61, 2), "\r\n");
    EXPECT_EQ(f.ReadLine(buf, 239), 1);
    EXPECT_EQ(f.ReadLine(buf, 239), 0);
}

}  // namespace
}  // namespace orv::test

namespace orv::test {
namespace {

TEST(PermissionAdvice, NamesAGroupOnlyWhenItsMembersMayReadAndWriteAndNeverTty) {
    const std::string path = "/dev/ttyUSB0";
    const AccountGroups carer{"carer", {1000}, {1000}};
    const std::string opening = "Your account carer has no permission to use the device " + path;

    std::string advice = PermissionAdvice(path, {S_IFCHR | 0660, "root", 20, "dialout"}, carer);
    EXPECT_EQ(advice.rfind(opening, 0), 0u) << advice;
    EXPECT_NE(advice.find("sudo usermod -aG dialout carer"), std::string::npos) << advice;

    // Already a member, but not in this session: log out and in, no command.
    advice = PermissionAdvice(path, {S_IFCHR | 0660, "root", 20, "dialout"},
                              {"carer", {1000}, {1000, 20}});
    EXPECT_NE(advice.find("already belongs to the group dialout"), std::string::npos) << advice;
    EXPECT_EQ(advice.find("usermod"), std::string::npos) << advice;

    // No group to name: the terminals' group, the superuser's, a group that
    // may only read, and a device nobody may use.
    const DeviceAccess refused[] = {
        {S_IFCHR | 0660, "root", 5, "tty"},
        {S_IFCHR | 0660, "root", 0, "root"},
        {S_IFCHR | 0640, "root", 20, "dialout"},
        {S_IFCHR | 0000, "root", 5, "tty"},
    };
    for (const DeviceAccess& device : refused) {
        advice = PermissionAdvice(path, device, carer);
        EXPECT_EQ(advice.rfind(opening, 0), 0u) << advice;
        EXPECT_NE(advice.find("No group can be recommended"), std::string::npos) << advice;
        EXPECT_EQ(advice.find("usermod"), std::string::npos) << advice;
    }
    EXPECT_NE(advice.find("belongs to root and its permissions are 0000"), std::string::npos)
        << advice;
}

}  // namespace
}  // namespace orv::test
