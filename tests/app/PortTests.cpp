// Port settings: the ports found or probed, the rates of the model, and
// reopening the port.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "app/ORVApp.h"
#include "app/OptionsDlg.h"
#include "appcore/PortList.h"
#include "appcore/PortMap.h"
#include "core/Catalogue.h"
#include "core/Globals.h"
#include "core/StringTable.h"
#include "engine/Serial.h"
#include "frame/MainFrm.h"
#include "tests/common/GuiTestSupport.h"
#include "ui/CommandIds.h"
#include "ui/QtText.h"

namespace orv::test {
namespace {

QStringList Lines(QListWidget* list) {
    QStringList lines;
    for (int i = 0; i < list->count(); ++i) {
        lines.append(list->item(i)->text());
    }
    return lines;
}

QString Pts(devsim::SimulatedDevice& device) {
    return QString::fromStdString(device.PortPath());
}

// Offers the open port settings dialog to check(); the dialog is then closed
// with OK or Cancel as check() returns true or false.
ModalDriver::Step InPortSettings(std::function<bool(COptionsDlg&)> check) {
    return [=](QWidget* modal) {
        auto* dlg = qobject_cast<COptionsDlg*>(modal);
        if (!dlg) {
            return false;
        }
        if (check(*dlg)) {
            dlg->accept();
        } else {
            dlg->reject();
        }
        return true;
    };
}

class PortTest : public ::testing::Test {
protected:
    void TearDown() override {
        SetPortSource([] { return QList<FoundPort>(); });
    }
};

TEST_F(PortTest, PortsFoundGetNumbersAndChoosingAnotherReopensOnIt) {
    AppHarness harness;
    devsim::SimulatedDevice second;
    QString first = Pts(harness.Device());
    SetPortSource([&] {
        return QList<FoundPort>{{first, "USB-Serial Controller"}, {Pts(second), ""}};
    });
    ModalDriver user;
    QStringList lines;
    int selected = -1;
    user.Then(InPortSettings([&](COptionsDlg& dlg) {
        lines = Lines(dlg.PortList());
        selected = dlg.PortList()->currentRow();
        dlg.PortList()->setCurrentRow(1);
        return true;
    }));
    harness.Frame().Action(ID_PORT_SETTINGS)->trigger();
    ASSERT_TRUE(user.Done());
    EXPECT_EQ(lines, (QStringList{"COM1 - USB-Serial Controller (" + first + ")",
                                  "COM2 - " + Pts(second)}));
    EXPECT_EQ(selected, 0);
    EXPECT_EQ(g_Globals.CommPort, 2);
    EXPECT_EQ(harness.App().Profile().value("Ports/COM2").toString(), Pts(second));
    EXPECT_TRUE(harness.Engine().IsPortOpen());
    EXPECT_EQ(harness.Engine().PortName(), "COM2");

    // The numbers stay with the devices the next time, in any order.
    SetPortSource([&] { return QList<FoundPort>{{Pts(second), ""}, {first, ""}}; });
    user.Then(InPortSettings([&](COptionsDlg& dlg) {
        lines = Lines(dlg.PortList());
        selected = dlg.PortList()->currentRow();
        return false;
    }));
    harness.Frame().Action(ID_PORT_SETTINGS)->trigger();
    EXPECT_EQ(lines, (QStringList{"COM2 - " + Pts(second), "COM1 - " + first}));
    EXPECT_EQ(selected, 0);
}

TEST_F(PortTest, WithoutPortsFoundTheMappedPortsAreProbed) {
    AppHarness harness;
    SetPortSource([] { return QList<FoundPort>(); });
    devsim::SimulatedDevice third;
    // Every number the probe looks at points at a test device or at nothing.
    QSettings& profile = harness.App().Profile();
    for (int n = 2; n <= 8; ++n) {
        PortMap(profile).SetDevicePath(n, "/nonexistent/tty" + std::to_string(n));
    }
    PortMap(profile).SetDevicePath(3, third.PortPath());
    std::vector<unsigned> numbers;
    ASSERT_TRUE(ProbePorts(profile, numbers));
    // COM1 is held open by the program itself and is listed all the same.
    EXPECT_EQ(numbers, (std::vector<unsigned>{1, 3}));

    ModalDriver user;
    QStringList lines;
    user.Then(InPortSettings([&](COptionsDlg& dlg) {
        lines = Lines(dlg.PortList());
        return false;
    }));
    harness.Frame().Action(ID_PORT_SETTINGS)->trigger();
    EXPECT_EQ(lines, (QStringList{"COM1 - *Communications Port", "COM3 - *Communications Port"}));
}

TEST_F(PortTest, NoPortAtAllSaysHowToConnectOneAndOkKeepsThePort) {
    AppHarness harness;
    SetPortSource([] { return QList<FoundPort>(); });
    QSettings& profile = harness.App().Profile();
    for (int n = 1; n <= 8; ++n) {
        PortMap(profile).SetDevicePath(n, "/nonexistent/tty" + std::to_string(n));
    }
    g_Globals.CommPort = 5;
    ModalDriver user;
    QString report;
    int count = -1;
    user.Then(ModalDriver::Answer(QMessageBox::Ok, &report));
    user.Then(InPortSettings([&](COptionsDlg& dlg) {
        count = dlg.PortList()->count();
        return true;
    }));
    // The dialog on its own: the command would go on to open COM5.
    COptionsDlg dlg(profile, &harness.Frame());
    dlg.exec();
    EXPECT_EQ(report,
              "No serial port was found on this computer.\n\nConnect the device's cable or "
              "USB-serial adapter and open Port settings again, or type the device's path under "
              "Other serial device, for example /dev/ttyUSB0.");
    EXPECT_EQ(count, 0);
    EXPECT_EQ(g_Globals.CommPort, 5);
    g_Globals.CommPort = 1;
}

TEST_F(PortTest, HalvetchDefaultRateIsNotOfferedAndStaysTheDefault) {
    AppHarness harness(32775);
    ASSERT_EQ(g_Globals.BaudIndex, -1);
    ModalDriver user;
    QStringList rates;
    int selected = 0;
    bool enabled = true;
    bool useDefault = false;
    user.Then(InPortSettings([&](COptionsDlg& dlg) {
        rates = Lines(dlg.BaudList());
        selected = dlg.BaudList()->currentRow();
        enabled = dlg.BaudList()->isEnabled();
        useDefault = dlg.UseDefaultBox()->isChecked();
        return true;
    }));
    harness.Frame().Action(ID_PORT_SETTINGS)->trigger();
    EXPECT_EQ(rates, (QStringList{"300", "1200", "2400"}));
    EXPECT_EQ(selected, -1);
    EXPECT_FALSE(enabled);
    EXPECT_TRUE(useDefault);
    EXPECT_EQ(g_Globals.BaudIndex, -1);
    EXPECT_EQ(EffectiveBaudRate(g_Globals.BaudIndex, g_Globals.ModelIndex), 4800u);

    // Clearing the box offers the list; a rate chosen there is kept, and the
    // port is opened again at it.
    user.Then(InPortSettings([&](COptionsDlg& dlg) {
        dlg.UseDefaultBox()->click();
        enabled = dlg.BaudList()->isEnabled();
        dlg.BaudList()->setCurrentRow(1);
        return true;
    }));
    harness.Frame().Action(ID_PORT_SETTINGS)->trigger();
    EXPECT_TRUE(enabled);
    EXPECT_EQ(g_Globals.BaudIndex, 2);  // 1200
    EXPECT_TRUE(harness.Engine().IsPortOpen());

    // Setting the box again selects the default when the model offers it.
    user.Then(InPortSettings([&](COptionsDlg& dlg) {
        dlg.UseDefaultBox()->click();
        selected = dlg.BaudList()->currentRow();
        return true;
    }));
    harness.Frame().Action(ID_PORT_SETTINGS)->trigger();
    EXPECT_EQ(selected, 1);  // stays: 4800 is not in the list
    EXPECT_EQ(g_Globals.BaudIndex, -1);
}

TEST_F(PortTest, ARateOfAnotherModelIsNotSelectedAndCancelChangesNothing) {
    AppHarness harness(32772);
    g_Globals.BaudIndex = 7;  // 19200, chosen for another model
    ModalDriver user;
    int selected = 0;
    bool useDefault = true;
    user.Then(InPortSettings([&](COptionsDlg& dlg) {
        selected = dlg.BaudList()->currentRow();
        useDefault = dlg.UseDefaultBox()->isChecked();
        dlg.BaudList()->setCurrentRow(0);
        return false;
    }));
    harness.Frame().Action(ID_PORT_SETTINGS)->trigger();
    EXPECT_EQ(selected, -1);
    EXPECT_FALSE(useDefault);
    EXPECT_EQ(g_Globals.BaudIndex, 7);
    EXPECT_EQ(g_Globals.CommPort, 1);

    // OK without a rate selected keeps the rate.
    user.Then(InPortSettings([&](COptionsDlg&) { return true; }));
    harness.Frame().Action(ID_PORT_SETTINGS)->trigger();
    EXPECT_EQ(g_Globals.BaudIndex, 7);
}

TEST_F(PortTest, CancelRetriesAPortThatCouldNotBeOpened) {
    AppHarness harness(32771, false);
    MapPortInProfile(1, "/nonexistent/ttyUSB0");
    ModalDriver user;
    QString message;
    user.Then(ModalDriver::Answer(QMessageBox::Ok, &message));
    ASSERT_TRUE(harness.Start());
    EXPECT_TRUE(
        message.startsWith("Unable to open the COM1 serial port.\nPlease check "
                           "communications port option settings."))
        << message.toStdString();
    EXPECT_TRUE(message.contains("/nonexistent/ttyUSB0"));
    EXPECT_FALSE(harness.Engine().IsPortOpen());

    // The adapter is plugged in; Port settings, even cancelled, opens it.
    PortMap(harness.App().Profile()).SetDevicePath(1, harness.Device().PortPath());
    user.Then(InPortSettings([](COptionsDlg&) { return false; }));
    harness.Frame().Action(ID_PORT_SETTINGS)->trigger();
    EXPECT_TRUE(user.Done());
    EXPECT_TRUE(harness.Engine().IsPortOpen());
}

TEST_F(PortTest, APortRefusedForLackOfPermissionSaysHowToGetAccess) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "the administrator may open every device";
    }
    AppHarness harness(32771, false);
    ASSERT_EQ(::chmod(harness.Device().PortPath().c_str(), 0), 0);
    ModalDriver user;
    QString message;
    user.Then(ModalDriver::Answer(QMessageBox::Ok, &message));
    ASSERT_TRUE(harness.Start());
    EXPECT_TRUE(message.startsWith("Unable to open the COM1 serial port."))
        << message.toStdString();
    // A device nobody may use: joining its group would not help, so none is named.
    EXPECT_TRUE(message.contains("Your account ")) << message.toStdString();
    EXPECT_TRUE(message.contains("No group can be recommended")) << message.toStdString();
    EXPECT_FALSE(message.contains("usermod")) << message.toStdString();
    EXPECT_FALSE(harness.Engine().IsPortOpen());
}

TEST_F(PortTest, ATypedDevicePathGetsANumberOfItsOwn) {
    AppHarness harness;
    devsim::SimulatedDevice other;
    ModalDriver user;
    QString refused;
    QStringList lines;
    user.Then([](QWidget* modal) {
        auto* dlg = qobject_cast<COptionsDlg*>(modal);
        if (!dlg) {
            return false;
        }
        dlg->DevicePathEdit()->setText("/etc/hostname");
        // The refusal comes up from inside the click; the next step answers it.
        QTimer::singleShot(0, dlg, [dlg] { dlg->findChild<QPushButton*>("AddDevice")->click(); });
        return true;
    });
    user.Then(ModalDriver::Answer(QMessageBox::Ok, &refused));
    user.Then(InPortSettings([&](COptionsDlg& dlg) {
        dlg.DevicePathEdit()->setText(Pts(other));
        dlg.findChild<QPushButton*>("AddDevice")->click();
        lines = Lines(dlg.PortList());
        EXPECT_EQ(dlg.PortList()->currentRow(), dlg.PortList()->count() - 1);
        return true;
    }));
    harness.Frame().Action(ID_PORT_SETTINGS)->trigger();
    EXPECT_TRUE(user.Done());
    EXPECT_EQ(refused, "/etc/hostname is not a serial device that this computer can open.");
    EXPECT_TRUE(lines.contains("COM2 - " + Pts(other))) << lines.join("|").toStdString();
    EXPECT_EQ(g_Globals.CommPort, 2);
    EXPECT_EQ(harness.App().Profile().value("Ports/COM2").toString(), Pts(other));
    EXPECT_TRUE(harness.Engine().IsPortOpen());
    EXPECT_EQ(harness.Engine().PortName(), "COM2");
}

TEST_F(PortTest, ATypedDeviceTakesTheNumberOfAGoneDeviceWhenAllNineAreTaken) {
    AppHarness harness;
    devsim::SimulatedDevice other;
    QSettings& profile = harness.App().Profile();
    for (int n = 2; n <= 9; ++n) {
        profile.setValue(QStringLiteral("Ports/COM%1").arg(n), "/nonexistent/gone");
    }
    ModalDriver user;
    QStringList lines;
    user.Then(InPortSettings([&](COptionsDlg& dlg) {
        dlg.DevicePathEdit()->setText(Pts(other));
        dlg.findChild<QPushButton*>("AddDevice")->click();
        lines = Lines(dlg.PortList());
        return true;
    }));
    harness.Frame().Action(ID_PORT_SETTINGS)->trigger();
    EXPECT_TRUE(user.Done());
    EXPECT_TRUE(lines.contains("COM2 - " + Pts(other))) << lines.join("|").toStdString();
    EXPECT_EQ(profile.value("Ports/COM2").toString(), Pts(other));
    EXPECT_EQ(profile.value("Ports/COM3").toString(), "/nonexistent/gone");
}

TEST_F(PortTest, AnAdapterPulledOutIsOpenedAgainWhenItIsBackAndAnswersAsBefore) {
    namespace fs = std::filesystem;
    TempDir dir;
    // A stable name such as /dev/serial/by-id/... that comes and goes with the adapter.
    const fs::path link = dir / "usb-adapter";
    auto first = std::make_unique<devsim::SimulatedDevice>();
    fs::create_symlink(first->PortPath(), link);
    AppHarness harness(32771, false);
    MapPortInProfile(1, link.string());
    ASSERT_TRUE(harness.Start());
    CORVSerialPort& engine = harness.Engine();
    ASSERT_TRUE(engine.IsPortOpen());

    first.reset();  // pulled out: the line hangs up
    fs::remove(link);
    const QString gone = FormatQString(IDS_PORT_GONE_STATUS, QStringLiteral("COM1"));
    ASSERT_TRUE(PumpUntil([&] { return harness.Frame().StatusText() == gone; }))
        << harness.Frame().StatusText().toStdString();
    EXPECT_FALSE(engine.IsPortOpen());
    Pump(700);  // the path is missing: nothing is opened, nothing is said
    EXPECT_FALSE(engine.IsPortOpen());

    devsim::SimulatedDevice second;  // plugged in again
    fs::create_symlink(second.PortPath(), link);
    ASSERT_TRUE(PumpUntil([&] { return engine.IsPortOpen(); }));
    EXPECT_EQ(harness.Frame().StatusText(),
              FormatQString(IDS_PORT_BACK_STATUS, QStringLiteral("COM1")));

    const std::string path = (dir / "MEM.ORV").string();
    engine.ArmTransfer(path, Save);
    ModalDriver user;
    QString status;
    user.Then(ModalDriver::CloseFinishedTransfer(&status));
    devsim::Script save;
    save.letter = 'S';
    save.repeatRequestMs = 300;
    second.Start(save);
    ASSERT_TRUE(user.WaitDone());
    EXPECT_EQ(status, LoadQString(IDM_TRANSFER_COMPLETED));
    ASSERT_TRUE(PumpUntil([&] { return !second.Running(); }));
    std::string expected;
    for (const std::string& r : second.Memory()) {
        expected += r + "\r\n";
    }
    EXPECT_EQ(ReadFileBytes(path), expected);
    EXPECT_TRUE(user.Unexpected().isEmpty()) << user.Unexpected().join("|").toStdString();
}

}  // namespace
}  // namespace orv::test
