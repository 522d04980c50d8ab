#include <gtest/gtest.h>

#include <QSettings>
#include <cstdlib>

#include "appcore/PortList.h"
#include "appcore/PortMap.h"
#include "appcore/ProfileStore.h"
#include "cli/Commands.h"
#include "tests/common/TestSupport.h"

namespace orv::test {
namespace {

TEST(PortMap, UnmappedPortsFallBackAndAssignmentTakesTheLowestFreeNumber) {
    TempDir dir;
    QSettings settings(QString::fromStdString((dir / "profile.ini").string()),
                       QSettings::IniFormat);
    PortMap map(settings);
    EXPECT_EQ(map.DevicePath(1), "/dev/ttyS0");
    EXPECT_EQ(map.DevicePath(9), "/dev/ttyS8");
    map.SetDevicePath(1, "/dev/ttyUSB0");
    EXPECT_EQ(map.DevicePath(1), "/dev/ttyUSB0");
    EXPECT_EQ(map.AssignPort("/dev/ttyUSB1"), 2);
    EXPECT_EQ(map.AssignPort("/dev/ttyUSB0"), 1);  // an existing mapping wins
    map.Remove(1);
    EXPECT_EQ(map.AssignPort("/dev/ttyACM0"), 1);
    EXPECT_EQ(settings.value("Ports/COM2").toString(), "/dev/ttyUSB1");
    for (int i = 3; i <= 9; ++i) {
        map.SetDevicePath(i, "/dev/x" + std::to_string(i));
    }
    EXPECT_EQ(map.AssignPort("/dev/another"), std::nullopt);
    EXPECT_EQ(map.PortOf("/dev/x7"), 7);
}

TEST(PortMap, OnlyComOneToNineAreNames) {
    EXPECT_EQ(PortMap::ParsePortName("COM3"), 3);
    EXPECT_EQ(PortMap::ParsePortName("com9"), 9);
    EXPECT_EQ(PortMap::ParsePortName("COM0"), std::nullopt);
    EXPECT_EQ(PortMap::ParsePortName("COM10"), std::nullopt);
    EXPECT_EQ(PortMap::ParsePortName("CON3"), std::nullopt);
}

TEST(PortsCommand, PrintsTheDialogsLinesWithoutWritingTheProfile) {
    TempDir dir;
    setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);
    {
        std::unique_ptr<QSettings> profile = OpenUserProfile();
        profile->setValue("Ports/COM1", "/nonexistent/ttyUSB9");
    }
    SetPortSource([] {
        return QList<FoundPort>{{"/nonexistent/ttyUSB0", "USB serial adapter"},
                                {"/nonexistent/ttyUSB9", ""}};
    });
    ::testing::internal::CaptureStdout();
    int code = cli::Run({"ports"});
    std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(code, cli::kExitOk);
    // A new device takes the lowest free number; a mapped one keeps its own.
    EXPECT_EQ(out,
              "COM2 - USB serial adapter (/nonexistent/ttyUSB0)\n"
              "COM1 - /nonexistent/ttyUSB9\n");
    std::unique_ptr<QSettings> profile = OpenUserProfile();
    EXPECT_EQ(profile->allKeys(), QStringList{"Ports/COM1"});

    // Nothing found and nothing to probe: no lines.
    SetPortSource([] { return QList<FoundPort>(); });
    for (int n = 1; n <= 8; ++n) {
        profile->setValue(QStringLiteral("Ports/COM%1").arg(n), "/nonexistent/none");
    }
    profile->sync();
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(cli::Run({"ports"}), cli::kExitOk);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    SetPortSource(nullptr);
}

}  // namespace
}  // namespace orv::test
