// Demonstration mode: the desktop program on a simulated device of its own,
// driven through the device's panel as a newcomer would.
#include <gtest/gtest.h>

#include <QTabWidget>
#include <QTest>
#include <filesystem>

#include "app/ORVApp.h"
#include "appcore/PortList.h"
#include "core/Catalogue.h"
#include "core/Globals.h"
#include "demo/DemoMode.h"
#include "demo/SimulatedDevicePanel.h"
#include "documents/TransferDlg.h"
#include "engine/Serial.h"
#include "frame/MainFrm.h"
#include "tests/common/GuiTestSupport.h"
#include "ui/CommandIds.h"

namespace orv::test {
namespace {

std::string Lines(const devsim::MemoryImage& records) {
    std::string bytes;
    for (const std::string& r : records) {
        bytes += r + "\r\n";
    }
    return bytes;
}

class DemoTest : public ::testing::Test {
protected:
    // Starts the program in demonstration mode, over a profile that holds a
    // real setup (another model, COM1 on another device, a chosen rate).
    bool StartDemo(const QStringList& arguments) {
        SetProfileValue(QStringLiteral("Version 4.2/BaudRate"), QStringLiteral("9600"));
        if (!m_harness.Start(arguments)) {
            return false;
        }
        m_demo = m_harness.App().Demo();
        if (!m_demo || !m_demo->Panel()) {
            return false;
        }
        m_demo->SetPaced(false);
        return true;
    }
    CSimulatedDevicePanel& Panel() { return *m_demo->Panel(); }
    devsim::SimulatedDevice& Device() { return m_demo->Device(); }
    bool WaitIdle() {
        return PumpUntil([this] { return !Panel().IsBusy(); }, 20000);
    }
    // The device's menu item `letter`, with the user choosing path in ORV's
    // chooser (and creating it, for a save). Returns the transfer's outcome.
    QString ThroughPanel(char letter, const std::string& path) {
        ModalDriver user;
        QString outcome;
        user.Then(ModalDriver::ChooseFiles({QString::fromStdString(path)}));
        if (devsim::IsSaveLetter(letter)) {
            user.Then(ModalDriver::Answer(QMessageBox::Yes));
        }
        user.Then(ModalDriver::CloseFinishedTransfer(&outcome));
        QTest::mouseClick(Panel().MenuButton(letter), Qt::LeftButton);
        EXPECT_TRUE(Panel().IsBusy());
        EXPECT_FALSE(Panel().MenuButton('L')->isEnabled());
        EXPECT_TRUE(WaitIdle());
        EXPECT_TRUE(user.WaitDone());
        EXPECT_TRUE(user.Unexpected().isEmpty()) << user.Unexpected().join('|').toStdString();
        return outcome;
    }

    TempDir m_dir;
    AppHarness m_harness{32780, false};  // the stored model: Fennimar
    CDemoMode* m_demo = nullptr;
};

TEST(DemoOption, NamesTheModelByNameIndexOrIdAndLeavesTheOtherArguments) {
    struct Case {
        QStringList arguments;
        int model;
        QStringList left;
    };
    const Case cases[] = {
        {{"--demo"}, 5, {}},
        {{"/D3", "--demo=quenlow", "MEM.ORV"}, 7, {"/D3", "MEM.ORV"}},
        {{"--demo=0"}, 0, {}},
        {{"--demo=32772"}, 1, {}},
        {{"--demo=Corvane", "--demo=Tobrisk"}, 6, {}},  // the last one counts
    };
    for (const Case& c : cases) {
        QStringList arguments = c.arguments;
        std::optional<CDemoMode::Option> option = CDemoMode::TakeOption(arguments);
        ASSERT_TRUE(option) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(option->modelIndex, c.model) << c.arguments.join(' ').toStdString();
        EXPECT_TRUE(option->error.isEmpty());
        EXPECT_EQ(arguments, c.left);
    }

    QStringList arguments{"--demonstration", "--demo-x"};
    EXPECT_FALSE(CDemoMode::TakeOption(arguments));
    EXPECT_EQ(arguments.size(), 2);
    for (const char* bad : {"--demo=Nobody", "--demo=", "--demo=10"}) {
        arguments = QStringList{bad};
        std::optional<CDemoMode::Option> option = CDemoMode::TakeOption(arguments);
        ASSERT_TRUE(option);
        EXPECT_TRUE(option->error.contains("there is no such device model")) << bad;
        EXPECT_TRUE(option->error.contains("Corvane, Pelliro,")) << option->error.toStdString();
        EXPECT_TRUE(arguments.isEmpty());
    }
}

TEST_F(DemoTest, AnUnknownModelIsReportedAndTheProgramDoesNotStart) {
    ModalDriver user;
    QString message;
    user.Then(ModalDriver::Answer(QMessageBox::Ok, &message));
    EXPECT_FALSE(m_harness.Start({"--demo=Nobody"}));
    EXPECT_TRUE(user.WaitDone());
    EXPECT_TRUE(message.startsWith("--demo=Nobody: there is no such device model."))
        << message.toStdString();
    EXPECT_FALSE(m_harness.Engine().IsPortOpen());
}

TEST_F(DemoTest, SaveFromThePanelThenRestoreItBackLeavesTheDeviceAndTheProfileAsTheyWere) {
    ASSERT_TRUE(StartDemo({"--demo"}));
    CMainFrame& frame = m_harness.Frame();
    EXPECT_EQ(frame.windowTitle(), "ORV - Mirelda (simulated device)");
    CORVSerialPort& engine = m_harness.Engine();
    EXPECT_TRUE(engine.IsPortOpen());
    EXPECT_EQ(engine.PortName(), Device().PortPath());
    EXPECT_TRUE(Panel().isVisible());
    EXPECT_TRUE(Panel().MenuButton('i')->isVisibleTo(&Panel()));
    EXPECT_TRUE(Panel().MenuButton('V')->isVisibleTo(&Panel()));

    const devsim::MemoryImage original = Device().Memory();
    ASSERT_GE(original.size(), 200u);
    ASSERT_EQ(original.front().front(), 'V');
    const std::string path = (m_dir / "Mirelda.ORV").string();

    // The device's "Save memory": ORV asks for a file and saves into it.
    EXPECT_EQ(ThroughPanel('S', path), "Memory transfer completed successfully");
    EXPECT_EQ(Panel().StatusText(),
              QString("Done: the device sent its %1 records to ORV.").arg(original.size()));
    EXPECT_EQ(ReadFileBytes(path), Lines(original));

    // Something else in the device; its "Load memory" brings the file back.
    Device().SetMemory(devsim::MakeSampleMemory(32776, 12, 99));
    EXPECT_EQ(ThroughPanel('L', path), "Memory transfer completed successfully");
    EXPECT_EQ(Device().Memory(), original);
    EXPECT_TRUE(Panel().StatusText().contains("They are now its memory."));

    // The device's memory can be written out as it is.
    const std::string copy = (m_dir / "copy.ORV").string();
    EXPECT_TRUE(Panel().WriteMemory(QString::fromStdString(copy)));
    EXPECT_EQ(ReadFileBytes(copy), Lines(original));

    // The user's own settings and recent files are as they were.
    const std::string harnessPort = m_harness.Device().PortPath();
    m_harness.Exit();
    EXPECT_EQ(ProfileValue("Version 4.2/Device").toString(), "Fennimar");
    EXPECT_EQ(ProfileValue("Version 4.2/BaudRate").toString(), "9600");
    EXPECT_FALSE(ProfileValue("Version 4.2/CommPort").isValid());
    EXPECT_EQ(ProfileValue("Ports/COM1").toString().toStdString(), harnessPort);
    EXPECT_FALSE(ProfileValue("Recent File List/File1").isValid());
}

TEST_F(DemoTest, TextSavedAndLoadedBackReadsTheSame) {
    ASSERT_TRUE(StartDemo({"--demo=Ostravel"}));
    auto* view = Panel().findChild<QPlainTextEdit*>("TextView");
    ASSERT_TRUE(view);
    const QString before = view->toPlainText();
    ASSERT_EQ(before.count(QLatin1Char('\n')), 12) << before.toStdString();
    const std::string path = (m_dir / "notes.txt").string();

    EXPECT_EQ(ThroughPanel('O', path), "Memory transfer completed successfully");
    EXPECT_NE(ReadFileBytes(path).find("\r\n"), std::string::npos);

    Device().SetText(devsim::MakeSampleText(2, 5));
    Panel().Attach();
    EXPECT_NE(view->toPlainText(), before);
    EXPECT_EQ(ThroughPanel('B', path), "Memory transfer completed successfully");
    EXPECT_EQ(Panel().StatusText(),
              "Done: the device took 12 lines of text from ORV. They are now its text.");
    EXPECT_EQ(Panel().findChild<QTabWidget*>()->tabText(1), "Text (12 lines)");
    EXPECT_EQ(view->toPlainText(), before);
}

TEST_F(DemoTest, ARequestIsRepeatedUntilTheMainWindowIsActive) {
    ASSERT_TRUE(StartDemo({"--demo"}));
    // Another program is in front: the device asks and asks.
    QWidget other;
    other.show();
    ASSERT_TRUE(ActivateWindow(other));
    ASSERT_TRUE(Panel().Request('S'));
    EXPECT_FALSE(Panel().Request('L'));  // one thing at a time
    Pump(1300);
    EXPECT_GE(Device().Progress().requestsSent, 2u);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(Panel().StatusText().startsWith("The device is asking ORV."));

    // The program's window comes forward: the next repetition gets the
    // chooser, and a cancelled chooser refuses the request.
    ModalDriver user;
    QString title;
    QString message;
    user.Then(ModalDriver::CancelChooser(&title));
    user.Then(ModalDriver::Answer(QMessageBox::Ok, &message));
    ASSERT_TRUE(m_harness.Activate());
    ASSERT_TRUE(WaitIdle());
    ASSERT_TRUE(user.WaitDone());
    EXPECT_EQ(title, "Save Memory To File");
    EXPECT_EQ(message, "Memory transfer has been cancelled");
    EXPECT_TRUE(Panel().StatusText().startsWith("ORV did not take up the request"));

    // A button of the panel, clicked while the panel is the active window,
    // brings the program's window forward itself.
    ASSERT_TRUE(ActivateWindow(Panel()));
    user.Then(ModalDriver::CancelChooser(&title));
    user.Then(ModalDriver::Answer(QMessageBox::Ok, &message));
    QTest::mouseClick(Panel().MenuButton('O'), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&m_harness.Frame(), 5000));
    ASSERT_TRUE(WaitIdle());
    ASSERT_TRUE(user.WaitDone());

    // Stop gives up a request nobody answers.
    ASSERT_TRUE(ActivateWindow(other));
    ASSERT_TRUE(Panel().Request('L'));
    EXPECT_TRUE(Panel().StopButton()->isEnabled());
    QTest::mouseClick(Panel().StopButton(), Qt::LeftButton);
    EXPECT_FALSE(Panel().IsBusy());
    EXPECT_EQ(Panel().StatusText(), "Stopped on the device.");
    EXPECT_FALSE(Panel().StopButton()->isEnabled());
}

TEST_F(DemoTest, IconAndSoundRequestsReachTheProgramOnAModelThatImportsThem) {
    ASSERT_TRUE(StartDemo({"--demo=Mirelda"}));
    // The import files are made in the current folder: the test's own, for
    // the test only.
    struct WorkIn {
        explicit WorkIn(const std::filesystem::path& folder) {
            std::filesystem::current_path(folder);
        }
        ~WorkIn() { std::filesystem::current_path(old); }
        std::filesystem::path old = std::filesystem::current_path();
    } workIn(m_dir.Path());

    // Icons: ORV asks for pictures; no picture chosen refuses the request.
    ModalDriver user;
    QString title;
    QString message;
    user.Then(ModalDriver::CancelChooser(&title));
    user.Then(ModalDriver::Answer(QMessageBox::Ok, &message));
    QTest::mouseClick(Panel().MenuButton('i'), Qt::LeftButton);
    ASSERT_TRUE(WaitIdle());
    ASSERT_TRUE(user.WaitDone());
    EXPECT_EQ(title, "Choose one or more pictures to import");
    EXPECT_EQ(message, "Memory transfer has been cancelled");
    EXPECT_TRUE(Panel().StatusText().startsWith("ORV did not take up the request"));

    // A sound: what the device takes is shown as received.
    const std::string wav = (m_dir / "hello.wav").string();
    std::string sound = std::string("RIFF\xB4\x0B\0\0WAVE", 12);
    sound.append(2992, 'x');
    WriteFileBytes(wav, sound);
    EXPECT_EQ(ThroughPanel('V', wav), "Memory transfer completed successfully");
    const std::string sent = ReadFileBytes(m_dir / "Sound File to Import.ORV");
    EXPECT_EQ(Device().ReceivedBytes(), sent);
    const std::size_t records = Device().Received().size();
    ASSERT_GT(records, 1u);
    EXPECT_EQ(Panel().StatusText(),
              QString("Done: the device took %1 records from ORV.").arg(records));
    auto* tabs = Panel().findChild<QTabWidget*>();
    EXPECT_EQ(tabs->currentIndex(), 2);
    EXPECT_EQ(tabs->tabText(2), QString("Received (%1 records)").arg(records));
}

TEST_F(DemoTest, IconRequestOnAModelWithoutIconImportGoesUnanswered) {
    ASSERT_TRUE(StartDemo({"--demo=Corvane", "/D1"}));
    EXPECT_FALSE(Panel().MenuButton('i')->isVisibleTo(&Panel()));
    EXPECT_FALSE(Panel().MenuButton('V')->isVisibleTo(&Panel()));
    // The device asks all the same: ORV passes over the request and, when
    // nothing else comes, gives up the handshake.
    ModalDriver user;
    QString message;
    user.Then(ModalDriver::Answer(QMessageBox::Ok, &message));
    ASSERT_TRUE(Panel().Request('i'));
    ASSERT_TRUE(m_harness.Activate());
    ASSERT_TRUE(WaitIdle());
    ASSERT_TRUE(user.WaitDone());
    EXPECT_TRUE(user.Unexpected().isEmpty()) << user.Unexpected().join('|').toStdString();
    EXPECT_EQ(message, "Communications timeout.\nPlease check your cable connections.");
    EXPECT_FALSE(m_harness.Engine().IsArmed());
    std::optional<devsim::Outcome> outcome = Device().Wait(std::chrono::milliseconds(0));
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->kind, devsim::OutcomeKind::Refused) << devsim::Summary(*outcome);
}

TEST_F(DemoTest, AnotherModelChosenBringsADeviceOfThatModelAndTheProfileKeepsItsOwn) {
    ASSERT_TRUE(StartDemo({"--demo"}));
    const std::string firstPort = Device().PortPath();
    m_harness.App().OnSelectDevice(static_cast<int>(ModelIdOf(0)));
    EXPECT_EQ(Device().ModelId(), ModelIdOf(0));
    EXPECT_NE(Device().PortPath(), firstPort);
    EXPECT_EQ(m_harness.Engine().PortName(), Device().PortPath());
    EXPECT_TRUE(m_harness.Engine().IsPortOpen());
    EXPECT_EQ(m_harness.Frame().windowTitle(), "ORV - Corvane (simulated device)");
    EXPECT_EQ(Panel().windowTitle(), "Simulated device - Corvane");
    EXPECT_FALSE(Panel().MenuButton('i')->isVisibleTo(&Panel()));
    EXPECT_EQ(Device().Memory().front(), "V210");

    // Port settings lists the simulated device alone.
    std::vector<unsigned> numbers;
    std::vector<QString> descriptions;
    EnumeratePorts(m_harness.App().Profile(), numbers, descriptions);
    ASSERT_EQ(numbers, std::vector<unsigned>{1});
    EXPECT_EQ(descriptions[0].toStdString(), "Simulated Corvane (" + Device().PortPath() + ")");

    // The new device works with the program.
    const std::string path = (m_dir / "Corvane.ORV").string();
    m_harness.Engine().ArmTransfer(path, Save);
    ModalDriver user;
    QString outcome;
    user.Then(ModalDriver::CloseFinishedTransfer(&outcome));
    ASSERT_TRUE(Panel().Request('S'));
    ASSERT_TRUE(WaitIdle());
    ASSERT_TRUE(user.WaitDone());
    EXPECT_EQ(ReadFileBytes(path), Lines(Device().Memory()));

    m_harness.Exit();
    EXPECT_EQ(ProfileValue("Version 4.2/Device").toString(), "Fennimar");
}

TEST_F(DemoTest, MemoryThatCannotBeWrittenIsReported) {
    ASSERT_TRUE(StartDemo({"--demo"}));
    const QString path = QString::fromStdString((m_dir / "missing" / "MEM.ORV").string());
    ModalDriver user;
    QString message;
    user.Then(ModalDriver::Answer(QMessageBox::Ok, &message));
    EXPECT_FALSE(Panel().WriteMemory(path));
    ASSERT_TRUE(user.WaitDone());
    EXPECT_TRUE(message.startsWith("The device's memory could not be written to " + path + ".\n"))
        << message.toStdString();
}

}  // namespace
}  // namespace orv::test

namespace orv::test {
namespace {

// Whether a window is left that keeps the program running.
bool AWindowKeepsTheProgramRunning() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->testAttribute(Qt::WA_QuitOnClose)) {
            return true;
        }
    }
    return false;
}

TEST_F(DemoTest, ClosingTheDeviceAsksAndExitEndsTheWholeDemonstration) {
    ASSERT_TRUE(StartDemo({"--demo"}));
    CMainFrame& frame = m_harness.Frame();

    // Closing the device's window asks first; No keeps both windows.
    ModalDriver user;
    QString question;
    user.Then(ModalDriver::Answer(QMessageBox::No, &question));
    EXPECT_FALSE(Panel().close());
    EXPECT_TRUE(user.WaitDone());
    EXPECT_TRUE(question.contains("End the demonstration?")) << question.toStdString();
    EXPECT_TRUE(Panel().isVisible());
    EXPECT_TRUE(frame.isVisible());

    // Yes ends it: the main window closes, and with it the device's.
    user.Then(ModalDriver::Answer(QMessageBox::Yes));
    EXPECT_TRUE(Panel().close());
    EXPECT_TRUE(user.WaitDone());
    EXPECT_FALSE(frame.isVisible());
    EXPECT_FALSE(Panel().isVisible());
    EXPECT_FALSE(AWindowKeepsTheProgramRunning());
}

TEST_F(DemoTest, FileExitClosesTheSimulatedDeviceToo) {
    ASSERT_TRUE(StartDemo({"--demo"}));
    ModalDriver user;
    m_harness.Frame().Action(ID_APP_EXIT)->trigger();
    EXPECT_FALSE(m_harness.Frame().isVisible());
    EXPECT_FALSE(Panel().isVisible());
    EXPECT_FALSE(AWindowKeepsTheProgramRunning());
    EXPECT_TRUE(user.Unexpected().isEmpty()) << user.Unexpected().join('|').toStdString();
}

}  // namespace
}  // namespace orv::test
