// Transfers from end to end: the desktop program with its real engine on one
// side of a pseudo-terminal, the simulated device on the other.
#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <atomic>
#include <filesystem>
#include <functional>

#include "app/ORVApp.h"
#include "core/Globals.h"
#include "core/StringTable.h"
#include "documents/TransferDlg.h"
#include "documents/YesNoDlg.h"
#include "engine/RemovableDrive.h"
#include "engine/Serial.h"
#include "frame/MainFrm.h"
#include "tests/common/GuiTestSupport.h"
#include "ui/Beep.h"
#include "ui/CommandIds.h"
#include "ui/ControlIds.h"
#include "ui/NotifyEvent.h"

namespace orv::test {
namespace {

using devsim::OutcomeKind;

// What the progress dialog showed when the transfer had ended.
struct Seen {
    bool saveMode = false;
    QString direction;
    QString file;
    QString status;
    QString button;
    QString bytes;
};

QString LabelText(QWidget* dialog, int id) {
    auto* label = dialog->findChild<QLabel*>(ControlName(id));
    return label ? label->text() : QString();
}

// Waits for the dialog to show the outcome, notes what it shows and presses OK.
ModalDriver::Step FinishTransfer(Seen* seen) {
    return [=](QWidget* modal) {
        auto* dlg = qobject_cast<CTransferDlg*>(modal);
        if (!dlg || !dlg->IsFinished()) {
            return false;
        }
        seen->saveMode = dlg->IsSaveMode();
        seen->direction = LabelText(dlg, IDC_TRANSFER_DIRECTION);
        seen->file = LabelText(dlg, IDC_TRANSFER_FILE);
        seen->status = LabelText(dlg, IDC_TRANSFER_STATUS);
        seen->bytes = LabelText(dlg, IDC_TRANSFER_BYTES);
        auto* button = dlg->findChild<QPushButton*>(ControlName(IDC_CANCEL));
        seen->button = button->text();
        button->click();
        return true;
    };
}

// Presses Cancel (or Escape) on the progress dialog once ready() is true. The
// question it opens is answered by the next step.
ModalDriver::Step PressCancelWhen(std::function<bool()> ready) {
    return [=](QWidget* modal) {
        auto* dlg = qobject_cast<CTransferDlg*>(modal);
        if (!dlg || !ready()) {
            return false;
        }
        QTimer::singleShot(0, dlg, [dlg] { dlg->reject(); });
        return true;
    };
}

ModalDriver::Step AnswerQuestion(
    int button, QString* question, std::function<bool()> ready = [] { return true; }) {
    return [=](QWidget* modal) {
        auto* ask = qobject_cast<CYesNoDlg*>(modal);
        if (!ask || !ready()) {
            return false;
        }
        *question = ask->findChild<QLabel*>(ControlName(IDC_QUESTION))->text();
        (button == CYesNoDlg::IDYES ? ask->YesButton() : ask->NoButton())->click();
        return true;
    };
}

class TransferTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetBeeper([this] { ++m_beeps; });
    }
    void TearDown() override {
        SetBeeper([] {});
    }

    std::optional<devsim::Outcome> WaitForDevice(devsim::SimulatedDevice& device) {
        PumpUntil([&] { return !device.Running(); }, 20000);
        return device.Wait(std::chrono::milliseconds(0));
    }

    std::string Lines(const devsim::MemoryImage& records) {
        std::string bytes;
        for (const std::string& r : records) {
            bytes += r + "\r\n";
        }
        return bytes;
    }

    std::atomic<int> m_beeps{0};
    TempDir m_dir;
};

TEST_F(TransferTest, SaveArmedFromTheMenuRunsWhenTheDeviceAsksWithoutASecondChooser) {
    AppHarness harness;
    std::string path = (m_dir / "MEM.ORV").string();
    ModalDriver user;
    QString title;
    QString createPrompt;
    Seen seen;
    user.Then(ModalDriver::ChooseFiles({QString::fromStdString(path)}, &title));
    user.Then(ModalDriver::Answer(QMessageBox::Yes, &createPrompt));
    user.Then(FinishTransfer(&seen));

    harness.Frame().Action(ID_SAVE_MEMORY)->trigger();
    // The offscreen platform activates no window when a dialog closes; a
    // desktop gives the activation back to the main window.
    ASSERT_TRUE(harness.Activate());
    EXPECT_EQ(title, "Save Memory To File");
    EXPECT_TRUE(createPrompt.contains("This file does not exist.")) << createPrompt.toStdString();
    CORVSerialPort& engine = harness.Engine();
    ASSERT_TRUE(engine.IsArmed());
    EXPECT_EQ(engine.ArmedKind(), Save);
    EXPECT_EQ(g_Globals.LastFilePath, path);

    devsim::Script script;
    script.letter = 'S';
    harness.Device().Start(script);
    std::optional<devsim::Outcome> outcome = WaitForDevice(harness.Device());
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->kind, OutcomeKind::Completed) << devsim::Summary(*outcome);
    ASSERT_TRUE(user.WaitDone());
    EXPECT_TRUE(user.Unexpected().isEmpty()) << user.Unexpected().join("|").toStdString();

    EXPECT_TRUE(seen.saveMode);
    EXPECT_EQ(seen.direction, "Transfer from Corvane to disk");
    EXPECT_EQ(seen.file.toStdString(), path);
    EXPECT_EQ(seen.status, "Memory transfer completed successfully");
    EXPECT_EQ(seen.button, "OK");
    EXPECT_EQ(ReadFileBytes(path), Lines(harness.Device().Memory()));
    EXPECT_EQ(seen.bytes.toLongLong(), static_cast<long long>(ReadFileBytes(path).size()));
    EXPECT_TRUE(PumpUntil([&] { return m_beeps == 6; }, 3000));
    // The frame has its notifications back and the engine waits for the next request.
    EXPECT_EQ(engine.NotificationTarget(), static_cast<QObject*>(&harness.Frame()));
    EXPECT_FALSE(engine.IsArmed());
    EXPECT_EQ(harness.App().RecentFiles().Entry(0).toStdString(), path);
}

TEST_F(TransferTest, RequestForAnotherKindAsksForAFileAndACancelledChooserReleasesTheEngine) {
    AppHarness harness;
    std::string restoreFile = (m_dir / "OLD.ORV").string();
    devsim::WriteMemoryFile(restoreFile, devsim::MakeSampleMemory(32771, 20));
    ModalDriver user;
    QString restoreTitle;
    QString saveTitle;
    QString message;
    user.Then(ModalDriver::ChooseFiles({QString::fromStdString(restoreFile)}, &restoreTitle));
    harness.Frame().Action(ID_RESTORE_MEMORY)->trigger();
    ASSERT_TRUE(harness.Activate());
    EXPECT_EQ(restoreTitle, "Restore Memory From File");
    ASSERT_EQ(harness.Engine().ArmedKind(), Restore);

    // Armed for a restore, the device asks to save: the chooser comes up now.
    user.Then(ModalDriver::CancelChooser(&saveTitle));
    user.Then(ModalDriver::Answer(QMessageBox::Ok, &message));
    devsim::Script script;
    script.letter = 'S';
    harness.Device().Start(script);
    std::optional<devsim::Outcome> outcome = WaitForDevice(harness.Device());
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->kind, OutcomeKind::Refused) << devsim::Summary(*outcome);
    ASSERT_TRUE(user.WaitDone());
    EXPECT_EQ(saveTitle, "Save Memory To File");
    EXPECT_EQ(message, "Memory transfer has been cancelled");
    EXPECT_TRUE(user.Unexpected().isEmpty()) << user.Unexpected().join("|").toStdString();

    // Released: the next request is served, with the file chosen at that moment.
    ASSERT_TRUE(harness.Activate());
    std::string path = (m_dir / "NEW.ORV").string();
    Seen seen;
    user.Then(ModalDriver::ChooseFiles({QString::fromStdString(path)}));
    user.Then(ModalDriver::Answer(QMessageBox::Yes));
    user.Then(FinishTransfer(&seen));
    harness.Device().Start(script);
    outcome = WaitForDevice(harness.Device());
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->kind, OutcomeKind::Completed) << devsim::Summary(*outcome);
    ASSERT_TRUE(user.WaitDone());
    EXPECT_EQ(seen.status, "Memory transfer completed successfully");
    EXPECT_EQ(ReadFileBytes(path), Lines(harness.Device().Memory()));
}

TEST_F(TransferTest, CancelAnsweredNoGoesOnAndYesEndsTheSaveAsIncomplete) {
    AppHarness harness;
    std::string path = (m_dir / "MEM.ORV").string();
    harness.Engine().ArmTransfer(path, Save);

    // The device keeps the line waiting with ENQ before its 40th record, long
    // enough for the questions.
    devsim::Script script;
    script.letter = 'S';
    script.faults.enqBefore[40] = 6000;
    script.faults.enqIntervalMs = 200;
    devsim::SimulatedDevice& device = harness.Device();
    auto waiting = [&] { return device.Progress().recordsSent >= 40; };

    ModalDriver user;
    QString first;
    QString second;
    Seen seen;
    user.Then(PressCancelWhen(waiting));
    user.Then(AnswerQuestion(CYesNoDlg::IDNO, &first));
    user.Then([&](QWidget* modal) {
        // No: the dialog stays, the transfer still runs.
        auto* dlg = qobject_cast<CTransferDlg*>(modal);
        if (!dlg) {
            return false;
        }
        EXPECT_FALSE(dlg->IsFinished());
        EXPECT_TRUE(device.Running());
        QTimer::singleShot(0, dlg, [dlg] { dlg->reject(); });
        return true;
    });
    user.Then(AnswerQuestion(CYesNoDlg::IDYES, &second));
    user.Then(FinishTransfer(&seen));
    device.Start(script);
    std::optional<devsim::Outcome> outcome = WaitForDevice(device);
    ASSERT_TRUE(user.WaitDone());
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->kind, OutcomeKind::Aborted) << devsim::Summary(*outcome);
    EXPECT_EQ(first.toStdString(), "If you cancel this memory transfer, the contents of " + path +
                                       " will not be complete.\nDo you still want to cancel "
                                       "this memory save?");
    EXPECT_EQ(second, first);
    EXPECT_EQ(seen.status, "Memory transfer has been cancelled");
    EXPECT_EQ(seen.button, "OK");
    // The worker keeps the incomplete file once the dialog has released it.
    EXPECT_TRUE(
        PumpUntil([&] { return std::filesystem::exists(m_dir / "MEM==INCOMPLETE==.ORV"); }));
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(TransferTest, TransferEndingWhileTheQuestionIsOpenIgnoresALateYes) {
    AppHarness harness(32776);  // Mirelda: a restore asks about the device
    std::string path = (m_dir / "MEM.ORV").string();
    devsim::MemoryImage memory = devsim::MakeSampleMemory(32776, 60);
    devsim::WriteMemoryFile(path, memory);
    harness.Engine().ArmTransfer(path, Restore);

    devsim::Script script;
    script.letter = 'L';
    script.faults.silence[10] = 400;
    devsim::SimulatedDevice& device = harness.Device();
    ModalDriver user;
    QString question;
    Seen seen;
    CTransferDlg* dialog = nullptr;
    user.Then([&](QWidget* modal) {
        dialog = qobject_cast<CTransferDlg*>(modal);
        if (!dialog) {
            return false;
        }
        QTimer::singleShot(0, dialog, [d = dialog] { d->reject(); });
        return true;
    });
    // The question stays open until the transfer has ended behind it.
    user.Then(AnswerQuestion(CYesNoDlg::IDYES, &question,
                             [&] { return dialog && dialog->IsFinished(); }));
    user.Then(FinishTransfer(&seen));
    device.Start(script);
    std::optional<devsim::Outcome> outcome = WaitForDevice(device);
    ASSERT_TRUE(user.WaitDone());
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->kind, OutcomeKind::Completed) << devsim::Summary(*outcome);
    EXPECT_EQ(question,
              "If you cancel this memory transfer, the state of your Mirelda will be "
              "uncertain.\nDo you still want to cancel this memory restore?");
    EXPECT_EQ(seen.status, "Memory transfer completed successfully");
    EXPECT_FALSE(seen.saveMode);
    EXPECT_EQ(seen.direction, "Transfer from disk to Mirelda");
    EXPECT_EQ(device.Received().size(), memory.size());

    // The engine is ready for the next request: a late Yes left no cancel behind.
    ASSERT_TRUE(harness.Activate());
    harness.Engine().ArmTransfer(path, Restore);
    user.Then(FinishTransfer(&seen));
    device.Start(script);
    outcome = WaitForDevice(device);
    ASSERT_TRUE(user.WaitDone());
    EXPECT_EQ(outcome->kind, OutcomeKind::Completed) << devsim::Summary(*outcome);
}

TEST_F(TransferTest, RequestsCountOnlyWhileTheMainWindowIsActive) {
    AppHarness harness;
    std::string path = (m_dir / "MEM.ORV").string();
    harness.Engine().ArmTransfer(path, Save);
    QWidget other;
    other.show();
    ASSERT_TRUE(ActivateWindow(other));

    devsim::Script script;
    script.letter = 'S';
    script.userTimeoutMs = 1500;
    harness.Device().Start(script);
    std::optional<devsim::Outcome> outcome = WaitForDevice(harness.Device());
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->kind, OutcomeKind::TimedOut) << devsim::Summary(*outcome);
    EXPECT_FALSE(std::filesystem::exists(path));

    ModalDriver user;
    Seen seen;
    user.Then(FinishTransfer(&seen));
    ASSERT_TRUE(harness.Activate());
    script.userTimeoutMs = 60000;
    harness.Device().Start(script);
    outcome = WaitForDevice(harness.Device());
    ASSERT_TRUE(user.WaitDone());
    EXPECT_EQ(outcome->kind, OutcomeKind::Completed) << devsim::Summary(*outcome);
    EXPECT_EQ(ReadFileBytes(path), Lines(harness.Device().Memory()));
}

// A restore whose memory continues on a second disk: the dialog asks for the
// disk with the continuation file.
class ContinuationTest : public TransferTest {
protected:
    void SetUp() override {
        TransferTest::SetUp();
        std::string folder = m_dir.Path().string();
        SetRemovableDriveTest([folder](const std::string& p) { return p.rfind(folder, 0) == 0; });
        m_memory = devsim::MakeSampleMemory(32771, 40);
        devsim::MemoryImage first(m_memory.begin(), m_memory.begin() + 25);
        devsim::MemoryImage second(m_memory.begin() + 25, m_memory.end());
        std::string bytes = Lines(first) + "T";
        WriteFileBytes(m_dir / "MEM.ORV", bytes);
        devsim::WriteMemoryFile(m_dir / "MEM2.ORV", second);
    }
    void TearDown() override {
        SetRemovableDriveTest(nullptr);
        TransferTest::TearDown();
    }

    // Restores MEM.ORV and answers the disk prompt with button.
    std::optional<devsim::Outcome> Restore(AppHarness& harness, QMessageBox::StandardButton button,
                                           QString* prompt, Seen* seen) {
        harness.Engine().ArmTransfer((m_dir / "MEM.ORV").string(), orv::Restore);
        ModalDriver user;
        user.Then(ModalDriver::Answer(button, prompt));
        user.Then(FinishTransfer(seen));
        devsim::Script script;
        script.letter = 'L';
        harness.Device().Start(script);
        std::optional<devsim::Outcome> outcome = WaitForDevice(harness.Device());
        EXPECT_TRUE(user.WaitDone());
        return outcome;
    }

    devsim::MemoryImage m_memory;
};

TEST_F(ContinuationTest, OkOnTheDiskPromptGoesOnWithTheNextFile) {
    AppHarness harness;
    QString prompt;
    Seen seen;
    std::optional<devsim::Outcome> outcome = Restore(harness, QMessageBox::Ok, &prompt, &seen);
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->kind, OutcomeKind::Completed) << devsim::Summary(*outcome);
    EXPECT_EQ(prompt.toStdString(), "Please insert the disk containing the continuation file:\n" +
                                        (m_dir / "MEM2.ORV").string());
    EXPECT_EQ(harness.Device().Received().size(), m_memory.size());
    EXPECT_EQ(seen.status, "Memory transfer completed successfully");
}

TEST_F(ContinuationTest, CancelOnTheDiskPromptEndsTheTransferAsCancelled) {
    AppHarness harness;
    QString prompt;
    Seen seen;
    std::optional<devsim::Outcome> outcome = Restore(harness, QMessageBox::Cancel, &prompt, &seen);
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->kind, OutcomeKind::Aborted) << devsim::Summary(*outcome);
    EXPECT_EQ(seen.status, "Memory transfer has been cancelled");
    EXPECT_EQ(harness.Device().Received().size(), 25u);
}

// The dialog on its own, fed notifications directly while the engine is idle.
class ProgressDialogTest : public TransferTest {
protected:
    void SetUp() override {
        TransferTest::SetUp();
        CTransferDlg::SetTickSource([this] { return m_now; });
    }
    void TearDown() override {
        CTransferDlg::SetTickSource(nullptr);
        TransferTest::TearDown();
    }

    // Opens the dialog on the harness's engine, runs check on it while it is
    // up and closes it (Escape does once the transfer has ended); false when
    // check never ran.
    bool RunOpenDialog(AppHarness& harness,
                       const std::function<void(CTransferDlg* dlg, QProgressBar* bar)>& check) {
        ModalDriver user;
        bool checked = false;
        user.Then([&](QWidget* modal) {
            auto* dlg = qobject_cast<CTransferDlg*>(modal);
            if (!dlg) {
                return false;
            }
            check(dlg, dlg->findChild<QProgressBar*>(ControlName(IDC_TRANSFER_BAR)));
            checked = true;
            dlg->reject();
            return true;
        });
        CTransferDlg dlg(harness.Engine(), &harness.Frame(), &harness.Frame());
        dlg.Run(false);
        EXPECT_TRUE(user.Unexpected().isEmpty());
        return checked;
    }

    uint32_t m_now = 1000;
};

TEST_F(ProgressDialogTest, ShowsBytesRateAndPercentage) {
    AppHarness harness;
    EXPECT_TRUE(RunOpenDialog(harness, [&](CTransferDlg* dlg, QProgressBar* bar) {
        EXPECT_FALSE(bar->isVisible());
        EXPECT_EQ(LabelText(dlg, IDC_TRANSFER_BYTES), "0");
        EXPECT_EQ(LabelText(dlg, IDC_TRANSFER_RATE), "0");
        EXPECT_EQ(LabelText(dlg, IDC_TRANSFER_STATUS),
                  "Memory transfer is in progress\n\nPlease wait....");

        dlg->OnTransferNotify(Notification(TN_SET_TOTAL, 10000));
        dlg->ShowProgressNow();
        EXPECT_TRUE(bar->isVisible());
        m_now += 400;  // within the first half second: no rate yet
        dlg->OnTransferNotify(Notification(TN_ADD_BYTES, 500));
        dlg->ShowProgressNow();
        EXPECT_EQ(LabelText(dlg, IDC_TRANSFER_RATE), "0");
        m_now += 600;  // 2,048 bytes in the 1,000 ms since the dialog opened
        dlg->OnTransferNotify(
            Notification(TN_ADD_BYTES, 0x10000 + 1548));  // only the low 16 bits count
        dlg->ShowProgressNow();
        EXPECT_EQ(LabelText(dlg, IDC_TRANSFER_BYTES), "2048");
        EXPECT_EQ(LabelText(dlg, IDC_TRANSFER_RATE), "2.00");
        dlg->OnTransferNotify(Notification(TN_ADD_BYTES, 452));
        dlg->ShowProgressNow();
        EXPECT_EQ(bar->value(), 25);                           // 2,500 of 10,000
        EXPECT_EQ(LabelText(dlg, IDC_TRANSFER_RATE), "2.00");  // too soon for a new rate

        // The next disk of a restore: the bar starts again, the count goes on.
        dlg->OnTransferNotify(Notification(TN_SET_TOTAL, 1000));
        dlg->ShowProgressNow();
        EXPECT_EQ(bar->value(), 0);
        dlg->OnTransferNotify(Notification(TN_ADD_BYTES, 999));
        dlg->ShowProgressNow();
        EXPECT_EQ(bar->value(), 99);
        EXPECT_EQ(LabelText(dlg, IDC_TRANSFER_BYTES), "3499");

        dlg->OnTransferNotify(Notification(TN_FINISHED, 159));
        EXPECT_TRUE(dlg->IsFinished());
        EXPECT_EQ(LabelText(dlg, IDC_TRANSFER_STATUS),
                  "Communications timeout.\nPlease check your cable connections.");
        EXPECT_EQ(dlg->findChild<QPushButton*>(ControlName(IDC_CANCEL))->text(), "OK");
        // Until it is closed the dialog keeps the notifications.
        EXPECT_EQ(harness.Engine().NotificationTarget(), static_cast<QObject*>(dlg));
    }));
    EXPECT_EQ(harness.Engine().NotificationTarget(), static_cast<QObject*>(&harness.Frame()));
    // A time-out is no success: three beeps instead of six.
    EXPECT_TRUE(PumpUntil([&] { return m_beeps == 3; }, 3000));
}

TEST_F(ProgressDialogTest, FiguresOfABurstOfRecordsAreShownOnceAMomentLaterAndExactlyAtTheEnd) {
    AppHarness harness;
    EXPECT_TRUE(RunOpenDialog(harness, [&](CTransferDlg* dlg, QProgressBar* bar) {
        dlg->OnTransferNotify(Notification(TN_SET_TOTAL, 71 * 3000));
        for (int i = 0; i < 1000; ++i) {
            dlg->OnTransferNotify(Notification(TN_ADD_BYTES, 71));
        }
        // Nothing repainted per record...
        EXPECT_EQ(LabelText(dlg, IDC_TRANSFER_BYTES), "0");
        EXPECT_EQ(bar->value(), 0);
        // ...but shown without another record arriving.
        EXPECT_TRUE(PumpUntil([&] { return LabelText(dlg, IDC_TRANSFER_BYTES) == "71000"; }, 3000));
        EXPECT_EQ(bar->value(), 33);
        m_now += 1000;
        for (int i = 0; i < 1999; ++i) {
            dlg->OnTransferNotify(Notification(TN_ADD_BYTES, 71));
        }
        dlg->OnTransferNotify(Notification(TN_ADD_BYTES, 70));
        dlg->OnTransferNotify(Notification(TN_FINISHED, IDM_TRANSFER_COMPLETED));
        EXPECT_EQ(LabelText(dlg, IDC_TRANSFER_BYTES), "212999");
        EXPECT_EQ(bar->value(), 99);
        // The rate worked out at the first record of the second burst: 71,071 bytes in 1,000 ms.
        EXPECT_EQ(LabelText(dlg, IDC_TRANSFER_RATE), "69.41");
    }));
}

TEST_F(ProgressDialogTest, DiskPromptsShowTheirTextsAndASaveWithoutTotalKeepsTheBarHidden) {
    AppHarness harness;
    ModalDriver user;
    QStringList prompts;
    QString text;
    for (int i = 0; i < 4; ++i) {
        user.Then([&, i](QWidget* modal) {
            auto* dlg = qobject_cast<CTransferDlg*>(modal);
            if (!dlg) {
                return false;
            }
            const int codes[] = {TN_DISK_FULL, TN_CANNOT_CONTINUE, TN_INSERT_CONTINUATION,
                                 TN_REINSERT_FIRST};
            QCoreApplication::postEvent(dlg, new NotifyEvent(Notification(codes[i], 0)));
            return true;
        });
        user.Then([&](QWidget* modal) {
            if (!ModalDriver::Answer(QMessageBox::Ok, &text)(modal)) {
                return false;
            }
            prompts.append(text);
            return true;
        });
    }
    user.Then([&](QWidget* modal) {
        auto* dlg = qobject_cast<CTransferDlg*>(modal);
        if (!dlg) {
            return false;
        }
        dlg->OnTransferNotify(Notification(TN_ADD_BYTES, 300));
        dlg->ShowProgressNow();
        EXPECT_FALSE(dlg->findChild<QProgressBar*>(ControlName(IDC_TRANSFER_BAR))->isVisible());
        EXPECT_EQ(LabelText(dlg, IDC_TRANSFER_BYTES), "300");
        EXPECT_EQ(LabelText(dlg, IDC_TRANSFER_DIRECTION), "Transfer from Corvane to disk");
        dlg->OnTransferNotify(Notification(TN_FINISHED, 156));
        dlg->findChild<QPushButton*>(ControlName(IDC_CANCEL))->click();
        return true;
    });
    CTransferDlg dlg(harness.Engine(), &harness.Frame(), &harness.Frame());
    dlg.Run(true);
    ASSERT_EQ(prompts.size(), 4);
    EXPECT_EQ(prompts[0],
              "The disk is full.\nPlease insert a new disk to continue the memory transfer.");
    EXPECT_TRUE(prompts[1].startsWith(
        "The file cannot be continued on this disk.\nPlease try another disk.\n\n"));
    EXPECT_TRUE(
        prompts[2].startsWith("Please insert the disk containing the continuation file:\n"));
    EXPECT_EQ(prompts[3], "Please re-insert the first disk.");
    EXPECT_TRUE(user.Unexpected().isEmpty());
}

}  // namespace
}  // namespace orv::test
