#include <gtest/gtest.h>

#include <QSettings>
#include <cstdlib>
#include <filesystem>

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

TEST(PortList, AdaptersKeepTheirNumbersByStableNameAndGoneNumbersAreReused) {
    TempDir dir;
    QSettings profile(QString::fromStdString((dir / "profile.ini").string()), QSettings::IniFormat);
    auto list = [&](const QList<FoundPort>& found) {
        SetPortSource([found] { return found; });
        std::vector<unsigned> numbers;
        std::vector<QString> descriptions;
        EnumeratePorts(profile, numbers, descriptions);
        QStringList lines;
        for (size_t i = 0; i < numbers.size(); ++i) {
            lines.append(PortLine{numbers[i], descriptions[i]}.Text());
        }
        return lines;
    };
    const QString idA = "/dev/serial/by-id/usb-Maker_Adapter_A1-if00-port0";
    const QString idB = "/dev/serial/by-id/usb-Maker_Adapter_B2-if00-port0";
    EXPECT_EQ(list({{"/nonexistent/ttyUSB0", "USB Serial", "Maker", "A1", idA}}),
              QStringList{"COM1 - USB Serial, Maker, serial number A1 (/nonexistent/ttyUSB0)"});
    EXPECT_EQ(profile.value("Ports/COM1").toString(), idA);
    // The adapters swap sockets: each keeps its number.
    EXPECT_EQ(list({{"/nonexistent/ttyUSB0", "Maker Cable", "Maker", "B2", idB},
                    {"/nonexistent/ttyUSB1", "USB Serial", "Maker", "A1", idA}}),
              (QStringList{"COM2 - Maker Cable, serial number B2 (/nonexistent/ttyUSB0)",
                           "COM1 - USB Serial, Maker, serial number A1 (/nonexistent/ttyUSB1)"}));
    EXPECT_EQ(profile.value("Ports/COM2").toString(), idB);

    // A path typed for a device stays as typed and keeps its number.
    profile.setValue("Ports/COM3", "/nonexistent/ttyACM0");
    EXPECT_EQ(list({{"/nonexistent/ttyACM0", "", "", "", "/dev/serial/by-id/usb-C3"}}),
              QStringList{"COM3 - /nonexistent/ttyACM0"});
    EXPECT_EQ(profile.value("Ports/COM3").toString(), "/nonexistent/ttyACM0");

    // All nine numbers taken, most by devices that have gone: a new device
    // takes the lowest of those, never one whose device is still there.
    profile.setValue("Ports/COM1", "/dev/null");
    for (int n = 2; n <= 9; ++n) {
        profile.setValue(QStringLiteral("Ports/COM%1").arg(n), "/nonexistent/gone");
    }
    EXPECT_EQ(
        list({{"/nonexistent/ttyUSB7", "New", "", "", ""},
              {"/nonexistent/ttyUSB8", "Newer", "", "", ""}}),
        (QStringList{"COM2 - New (/nonexistent/ttyUSB7)", "COM3 - Newer (/nonexistent/ttyUSB8)"}));
    EXPECT_EQ(profile.value("Ports/COM1").toString(), "/dev/null");
    SetPortSource(nullptr);
}

TEST(PortList, StableNamesAreTheLinksToEachDevice) {
    TempDir dir;
    namespace fs = std::filesystem;
    WriteFileBytes(dir / "ttyUSB0", "");
    WriteFileBytes(dir / "ttyUSB1", "");
    fs::create_directory(dir / "by-id");
    fs::create_symlink(dir / "ttyUSB0", dir / "by-id" / "usb-B-port0");
    fs::create_symlink(dir / "ttyUSB0", dir / "by-id" / "usb-A-port0");
    fs::create_symlink("../ttyUSB1", dir / "by-id" / "usb-C-port0");
    fs::create_symlink(dir / "gone", dir / "by-id" / "usb-D-port0");
    QMap<QString, QString> names =
        StableDeviceNames(QString::fromStdString((dir / "by-id").string()));
    EXPECT_EQ(names.size(), 2);
    EXPECT_EQ(
        names.value(QString::fromStdString(fs::canonical(dir / "ttyUSB0").string())).toStdString(),
        (dir / "by-id" / "usb-A-port0").string());
    EXPECT_EQ(
        names.value(QString::fromStdString(fs::canonical(dir / "ttyUSB1").string())).toStdString(),
        (dir / "by-id" / "usb-C-port0").string());
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
