#include <gtest/gtest.h>

#include <QSettings>

#include "app/PortMap.h"
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

}  // namespace
}  // namespace orv::test
