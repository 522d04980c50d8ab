#include <gtest/gtest.h>

#include <QSettings>

#include "appcore/ProfileStore.h"
#include "core/Catalogue.h"
#include "core/Settings.h"
#include "tests/common/TestSupport.h"

namespace orv {
namespace {

// A real QSettings INI file in a temporary folder.
class SettingsTest : public ::testing::Test {
protected:
    QString IniPath() const { return QString::fromStdString((m_dir / "profile.ini").string()); }

    void Store(const char* key, const QVariant& value) {
        QSettings s(IniPath(), QSettings::IniFormat);
        s.setValue(QStringLiteral("Version 4.2/") + QLatin1String(key), value);
    }

    CORVGlobals Load() {
        QSettings s(IniPath(), QSettings::IniFormat);
        QSettingsProfileStore store(s);
        CORVGlobals g;
        LoadSettings(store, g);
        return g;
    }

    void Save(const CORVGlobals& g) {
        QSettings s(IniPath(), QSettings::IniFormat);
        QSettingsProfileStore store(s);
        SaveSettings(store, g);
    }

    QVariant Stored(const char* key) {
        QSettings s(IniPath(), QSettings::IniFormat);
        return s.value(QStringLiteral("Version 4.2/") + QLatin1String(key));
    }

    test::TempDir m_dir;
};

TEST_F(SettingsTest, EmptyProfileGivesDefaultsAndExitWritesThem) {
    CORVGlobals g = Load();
    EXPECT_EQ(g.ModelIndex, 0);
    EXPECT_EQ(g.ModelId, 32771u);
    EXPECT_EQ(g.ModelName, "Corvane");
    EXPECT_EQ(g.BaudIndex, -1);
    EXPECT_EQ(EffectiveBaudRate(g.BaudIndex, g.ModelIndex), 38400u);
    EXPECT_EQ(g.CommPort, 1);
    EXPECT_EQ(g.MaintainAspectRatio, 1);

    Save(g);
    EXPECT_EQ(Stored("BaudRate").toString(), "-1");
    EXPECT_EQ(Stored("Maintain Aspect Ratio").toInt(), 1);
    EXPECT_EQ(Stored("CommPort").toInt(), 1);
    EXPECT_EQ(Stored("Device").toString(), "Corvane");
}

TEST_F(SettingsTest, DeviceNameMustMatchExactly) {
    Store("Device", "Pelliro");
    EXPECT_EQ(Load().ModelId, 32772u);
    Store("Device", "pelliro");
    EXPECT_EQ(Load().ModelIndex, 0);
    Store("Device", "Pelliro ");
    EXPECT_EQ(Load().ModelIndex, 0);
    Store("Device", "Fennimar");
    CORVGlobals g = Load();
    EXPECT_EQ(g.ModelIndex, 9);
    EXPECT_EQ(g.ModelName, "Fennimar");
}

TEST_F(SettingsTest, BaudRateTextMapsToATableIndexOrDefault) {
    struct Case {
        const char* stored;
        int index;
    } cases[] = {
        {"-1", -1},  {"0", -1},      {"abc", -1},    {"14400", -1}, {"2125", 3},
        {"9600", 6}, {"115200", 10}, {"9600abc", 6}, {"", -1},      {"99999999999999999999", -1}};
    for (const Case& c : cases) {
        Store("BaudRate", c.stored);
        EXPECT_EQ(Load().BaudIndex, c.index) << c.stored;
    }
}

TEST_F(SettingsTest, RateNotOfferedByTheModelIsStillUsedAndWrittenBack) {
    Store("Device", "Pelliro");
    Store("BaudRate", "115200");
    CORVGlobals g = Load();
    EXPECT_EQ(g.BaudIndex, 10);
    EXPECT_EQ(EffectiveBaudRate(g.BaudIndex, g.ModelIndex), 115200u);

    Store("BaudRate", "2125");
    g = Load();
    Save(g);
    EXPECT_EQ(Stored("BaudRate").toString(), "2125");
}

TEST_F(SettingsTest, PortOutsideOneToNineBecomesOne) {
    for (int port : {0, 10, -3}) {
        Store("CommPort", port);
        EXPECT_EQ(Load().CommPort, 1) << port;
    }
    Store("CommPort", 9);
    EXPECT_EQ(Load().CommPort, 9);
    Store("CommPort", "junk");
    EXPECT_EQ(Load().CommPort, 1);
}

TEST_F(SettingsTest, AspectIsZeroOrOne) {
    Store("Maintain Aspect Ratio", 0);
    EXPECT_EQ(Load().MaintainAspectRatio, 0);
    Store("Maintain Aspect Ratio", 7);
    EXPECT_EQ(Load().MaintainAspectRatio, 1);
}

// Records the order of writes.
class RecordingStore : public ProfileStore {
public:
    std::optional<std::string> ReadString(const std::string&, const std::string&) override {
        return std::nullopt;
    }
    std::optional<long long> ReadInt(const std::string&, const std::string&) override {
        return std::nullopt;
    }
    void WriteString(const std::string& section, const std::string& key,
                     const std::string& value) override {
        writes.push_back(section + "/" + key + "=" + value);
    }
    void WriteInt(const std::string& section, const std::string& key, long long value) override {
        writes.push_back(section + "/" + key + "=" + std::to_string(value));
    }
    std::vector<std::string> writes;
};

TEST(SaveSettings, WritesInTheFixedOrder) {
    CORVGlobals g;
    g.SelectModel(4);
    g.BaudIndex = 6;
    g.CommPort = 3;
    g.MaintainAspectRatio = 0;
    RecordingStore store;
    SaveSettings(store, g);
    EXPECT_EQ(store.writes, (std::vector<std::string>{
                                "Version 4.2/BaudRate=9600", "Version 4.2/Maintain Aspect Ratio=0",
                                "Version 4.2/CommPort=3", "Version 4.2/Device=Halvetch"}));
}

}  // namespace
}  // namespace orv
