// The file chooser of each command, Delete and Rename, and the recent-file actions.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QTest>
#include <filesystem>

#include "app/ORVApp.h"
#include "core/Globals.h"
#include "documents/NewNameDlg.h"
#include "documents/ORVDoc.h"
#include "documents/ORVFileDlg.h"
#include "documents/OpenActionDlg.h"
#include "documents/TransferDlg.h"
#include "documents/YesNoDlg.h"
#include "engine/Serial.h"
#include "frame/MainFrm.h"
#include "tests/common/GuiTestSupport.h"
#include "ui/CommandIds.h"
#include "ui/ControlIds.h"

namespace orv::test {
namespace {

namespace fs = std::filesystem;

// How a chooser was set up when it came up.
struct ChooserSeen {
    QString title;
    QString okText;
    QFileDialog::FileMode mode = QFileDialog::AnyFile;
    QFileDialog::AcceptMode acceptMode = QFileDialog::AcceptOpen;
    QStringList filters;
    QString suffix;
    QString folder;
    QString name;
};

ModalDriver::Step LookAtChooser(ChooserSeen* seen) {
    return [=](QWidget* modal) {
        auto* dlg = qobject_cast<QFileDialog*>(modal);
        if (!dlg) {
            return false;
        }
        seen->title = dlg->windowTitle();
        seen->okText = dlg->labelText(QFileDialog::Accept);
        seen->mode = dlg->fileMode();
        seen->acceptMode = dlg->acceptMode();
        seen->filters = dlg->nameFilters();
        seen->suffix = dlg->defaultSuffix();
        seen->folder = dlg->directory().absolutePath();
        auto* edit = dlg->findChild<QLineEdit*>("fileNameEdit");
        seen->name = edit ? edit->text() : QString();
        dlg->reject();
        return true;
    };
}

ChooserSeen RunChooser(AppHarness& harness, int command, CORVFileDlg::Kind kind) {
    ModalDriver user;
    ChooserSeen seen;
    user.Then(LookAtChooser(&seen));
    CORVFileDlg dlg(kind, harness.Engine());
    EXPECT_EQ(dlg.RunForCommand(command), 0);
    EXPECT_TRUE(user.Unexpected().isEmpty());
    return seen;
}

class FileTest : public ::testing::Test {
protected:
    QString Path(const std::string& name) {
        return QString::fromStdString((m_dir / name).string());
    }
    std::string Folder() { return m_dir.Path().string(); }

    TempDir m_dir;
};

TEST_F(FileTest, EachCommandsChooserHasItsTitleButtonModeAndStartingFolder) {
    AppHarness harness;
    WriteFileBytes(m_dir / "LAST.ORV", "V300\r\n");
    g_Globals.LastFilePath = (m_dir / "LAST.ORV").string();
    const QStringList orvFilters{"ORV Files (*.ORV)", "All Files (*)"};

    ChooserSeen save = RunChooser(harness, ID_SAVE_MEMORY, CORVFileDlg::Kind::Save);
    EXPECT_EQ(save.title, "Save Memory To File");
    EXPECT_EQ(save.acceptMode, QFileDialog::AcceptSave);
    EXPECT_EQ(save.filters, orvFilters);
    EXPECT_EQ(save.suffix, "ORV");
    EXPECT_EQ(save.folder.toStdString(), Folder());
    EXPECT_EQ(save.name, "");  // a save never offers the last file's name

    ChooserSeen restore = RunChooser(harness, ID_RESTORE_MEMORY, CORVFileDlg::Kind::Open);
    EXPECT_EQ(restore.title, "Restore Memory From File");
    EXPECT_EQ(restore.okText, "&Restore");
    EXPECT_EQ(restore.mode, QFileDialog::ExistingFile);
    EXPECT_EQ(restore.acceptMode, QFileDialog::AcceptOpen);
    EXPECT_EQ(restore.name, "LAST.ORV");

    ChooserSeen del = RunChooser(harness, ID_DELETE_FILE, CORVFileDlg::Kind::Open);
    EXPECT_EQ(del.title, "Delete File");
    EXPECT_EQ(del.okText, "&Delete");
    EXPECT_EQ(del.mode, QFileDialog::ExistingFiles);

    ChooserSeen rename = RunChooser(harness, ID_RENAME_FILE, CORVFileDlg::Kind::Open);
    EXPECT_EQ(rename.title, "Rename File");
    EXPECT_EQ(rename.okText, "&Rename");
    EXPECT_EQ(rename.mode, QFileDialog::ExistingFile);

    ChooserSeen overlay = RunChooser(harness, ID_EDIT_OVERLAY, CORVFileDlg::Kind::Open);
    EXPECT_EQ(overlay.title, "Open Keyboard Emulation File");
    EXPECT_EQ(overlay.mode, QFileDialog::ExistingFile);
    EXPECT_EQ(overlay.folder.toStdString(), Folder());

    // The last file's folder is gone (a removed stick): the home folder instead.
    g_Globals.LastFilePath = (m_dir / "gone" / "LAST.ORV").string();
    ChooserSeen gone = RunChooser(harness, ID_RESTORE_MEMORY, CORVFileDlg::Kind::Open);
    EXPECT_EQ(gone.folder, QDir::homePath());
    EXPECT_EQ(gone.name, "");
}

TEST_F(FileTest, AnUnknownCommandIsAnInternalErrorAndTheChooserStillRuns) {
    AppHarness harness;
    ModalDriver user;
    QString report;
    ChooserSeen seen;
    user.Then(ModalDriver::Answer(QMessageBox::Ok, &report));
    user.Then(LookAtChooser(&seen));
    CORVFileDlg dlg(CORVFileDlg::Kind::Open, harness.Engine());
    dlg.RunForCommand(12345);
    EXPECT_TRUE(report.startsWith("An error has occurred inside the ORV program."))
        << report.toStdString();
    EXPECT_TRUE(report.contains("ORVFileDlg.cpp"));
    EXPECT_TRUE(user.Done());
}

TEST_F(FileTest, ATypedNameWithoutExtensionGetsTheDefaultOne) {
    AppHarness harness;
    ModalDriver user;
    user.Then(ModalDriver::ChooseFiles({Path("BACKUP")}));
    user.Then(ModalDriver::Answer(QMessageBox::Yes));
    CORVFileDlg dlg(CORVFileDlg::Kind::Save, harness.Engine());
    ASSERT_EQ(dlg.RunForCommand(ID_SAVE_MEMORY), 1);
    EXPECT_EQ(dlg.PathName(), Path("BACKUP.ORV"));

    // No to the create question returns to the chooser.
    user.Then(ModalDriver::ChooseFiles({Path("FIRST.ORV")}));
    user.Then(ModalDriver::Answer(QMessageBox::No));
    user.Then(ModalDriver::ChooseFiles({Path("SECOND.ORV")}));
    user.Then(ModalDriver::Answer(QMessageBox::Yes));
    CORVFileDlg again(CORVFileDlg::Kind::Save, harness.Engine());
    ASSERT_EQ(again.RunForCommand(ID_SAVE_MEMORY), 1);
    EXPECT_EQ(again.PathName(), Path("SECOND.ORV"));
    EXPECT_TRUE(user.Unexpected().isEmpty());
}

TEST_F(FileTest, AfterATextSaveTheChoosersOfferTextFiles) {
    AppHarness harness;
    std::string path = (m_dir / "NOTES.txt").string();
    harness.Engine().ArmTransfer(path, Save);
    ModalDriver user;
    user.Then(ModalDriver::CloseFinishedTransfer());
    devsim::Script script;
    script.letter = 'O';
    harness.Device().Start(script);
    ASSERT_TRUE(user.WaitDone());
    PumpUntil([&] { return !harness.Device().Running(); });
    ASSERT_EQ(harness.Engine().Format(), Text);

    ChooserSeen seen = RunChooser(harness, ID_RESTORE_MEMORY, CORVFileDlg::Kind::Open);
    EXPECT_EQ(seen.filters, (QStringList{"Text Files (*.txt)", "All Files (*)"}));
    EXPECT_EQ(seen.suffix, "txt");
}

TEST_F(FileTest, FilterTextsBecomeChooserFilters) {
    EXPECT_EQ(NameFiltersFromTable("Bitmap Files (*.bmp;*.rle)|*.bmp; *.rle|All Files (*.*)|*.*||"),
              (QStringList{"Bitmap Files (*.bmp *.rle)", "All Files (*)"}));
    EXPECT_EQ(DefaultExtensionFromTable("Sound File (*.wav)|*.wav|All Files (*.*)|*.*||"), "wav");
    EXPECT_EQ(DefaultExtensionFromTable("Anything|*|"), "");
}

TEST_F(FileTest, DeletingThreeFilesOfWhichOneIsReadOnly) {
    AppHarness harness;
    for (const char* name : {"a.orv", "b.orv", "c.orv"}) {
        WriteFileBytes(m_dir / name, "V300\r\n");
    }
    ASSERT_EQ(::chmod((m_dir / "c.orv").c_str(), 0444), 0);
    ModalDriver user;
    QString question;
    QString caption;
    QString error;
    user.Then(ModalDriver::ChooseFiles({Path("a.orv"), Path("b.orv"), Path("c.orv")}));
    user.Then(ModalDriver::Answer(QMessageBox::Yes, &question, &caption));
    user.Then(ModalDriver::Answer(QMessageBox::Ok, &error));
    harness.Frame().Action(ID_DELETE_FILE)->trigger();
    EXPECT_TRUE(user.Done());
    EXPECT_EQ(caption, "Confirm Multiple File Delete");
    EXPECT_EQ(question, "Are you sure you want to delete these 3 files?");
    EXPECT_EQ(error, "Access to " + Path("c.orv") + " was denied.");
    EXPECT_FALSE(fs::exists(m_dir / "a.orv"));
    EXPECT_FALSE(fs::exists(m_dir / "b.orv"));
    EXPECT_TRUE(fs::exists(m_dir / "c.orv"));
    EXPECT_EQ(harness.Frame().StatusText(), "Deleted 2 files");
}

TEST_F(FileTest, DeletingOneFileAsksByNameAndNoDeletesNothing) {
    AppHarness harness;
    WriteFileBytes(m_dir / "a.orv", "V300\r\n");
    harness.Frame().SetStatusText("before");
    ModalDriver user;
    QString question;
    QString caption;
    user.Then(ModalDriver::ChooseFiles({Path("a.orv")}));
    user.Then(ModalDriver::Answer(QMessageBox::No, &question, &caption));
    harness.Frame().Action(ID_DELETE_FILE)->trigger();
    EXPECT_EQ(caption, "Confirm File Delete");
    EXPECT_EQ(question, "Are you sure you want to delete the file 'a.orv'?");
    EXPECT_TRUE(fs::exists(m_dir / "a.orv"));
    EXPECT_EQ(harness.Frame().StatusText(), "before");

    user.Then(ModalDriver::ChooseFiles({Path("a.orv")}));
    user.Then(ModalDriver::Answer(QMessageBox::Yes));
    harness.Frame().Action(ID_DELETE_FILE)->trigger();
    EXPECT_FALSE(fs::exists(m_dir / "a.orv"));
    EXPECT_EQ(harness.Frame().StatusText(), "Deleted file 'a.orv'");
}

// Types the name into the rename dialog; OK is enabled only once there is one.
ModalDriver::Step TypeNewName(const QString& name, bool* okWasDisabled) {
    return [=](QWidget* modal) {
        auto* dlg = qobject_cast<CNewNameDlg*>(modal);
        if (!dlg) {
            return false;
        }
        *okWasDisabled = !dlg->OkButton()->isEnabled();
        dlg->NameEdit()->setText(name);
        EXPECT_TRUE(dlg->OkButton()->isEnabled());
        dlg->NameEdit()->clear();
        EXPECT_FALSE(dlg->OkButton()->isEnabled());
        dlg->NameEdit()->setText(name);
        dlg->OkButton()->click();
        return true;
    };
}

TEST_F(FileTest, RenamingToABareNameKeepsTheFileInItsFolder) {
    AppHarness harness;
    WriteFileBytes(m_dir / "x.orv", "V300\r\n");
    ModalDriver user;
    bool okWasDisabled = false;
    user.Then(ModalDriver::ChooseFiles({Path("x.orv")}));
    user.Then(TypeNewName("y.orv", &okWasDisabled));
    harness.Frame().Action(ID_RENAME_FILE)->trigger();
    EXPECT_TRUE(user.Done());
    EXPECT_TRUE(okWasDisabled);
    EXPECT_FALSE(fs::exists(m_dir / "x.orv"));
    EXPECT_EQ(ReadFileBytes(m_dir / "y.orv"), "V300\r\n");
    EXPECT_EQ(harness.Frame().StatusText(), "File 'x.orv' renamed to 'y.orv'");
}

TEST_F(FileTest, RenamingToAnExistingNameFailsAndKeepsBothFiles) {
    AppHarness harness;
    WriteFileBytes(m_dir / "y.orv", "first");
    WriteFileBytes(m_dir / "z.orv", "second");
    ModalDriver user;
    bool okWasDisabled = false;
    QString error;
    user.Then(ModalDriver::ChooseFiles({Path("z.orv")}));
    user.Then(TypeNewName("y.orv", &okWasDisabled));
    user.Then(ModalDriver::Answer(QMessageBox::Ok, &error));
    harness.Frame().Action(ID_RENAME_FILE)->trigger();
    EXPECT_TRUE(user.Done());
    EXPECT_EQ(error,
              "The name y.orv is already taken in this folder.\nPlease choose another name.");
    EXPECT_EQ(ReadFileBytes(m_dir / "y.orv"), "first");
    EXPECT_EQ(ReadFileBytes(m_dir / "z.orv"), "second");
    EXPECT_EQ(harness.Frame().StatusText(), "File rename failed");
}

// Picks an action in the dialog of a recent file.
ModalDriver::Step PickAction(int action, QString* caption, bool* overlayEnabled) {
    return [=](QWidget* modal) {
        auto* dlg = qobject_cast<COpenActionDlg*>(modal);
        if (!dlg) {
            return false;
        }
        *caption = dlg->windowTitle();
        *overlayEnabled = dlg->Choice(IDC_ACTION_OVERLAY)->isEnabled();
        EXPECT_TRUE(dlg->Choice(IDC_ACTION_SAVE)->isChecked());
        if (action == 0) {
            dlg->reject();
        } else {
            dlg->Choice(action)->setChecked(true);
            dlg->accept();
        }
        return true;
    };
}

// The device runs one operation while the user closes the progress dialog
// at its end. False when the dialog never came to be closed.
bool RunOnDevice(AppHarness& harness, ModalDriver& user, char letter,
                 devsim::OutcomeKind* outcome) {
    harness.Activate();
    user.Then(ModalDriver::CloseFinishedTransfer());
    devsim::Script script;
    script.letter = letter;
    harness.Device().Start(script);
    if (!user.WaitDone()) {
        return false;
    }
    PumpUntil([&] { return !harness.Device().Running(); });
    std::optional<devsim::Outcome> end = harness.Device().Wait(std::chrono::milliseconds(0));
    *outcome = end ? end->kind : devsim::OutcomeKind::Failed;
    return true;
}

TEST_F(FileTest, RecentFileActionsArmTheEngineForASaveOrARestore) {
    AppHarness harness;
    std::string path = (m_dir / "a.orv").string();
    devsim::WriteMemoryFile(path, devsim::MakeSampleMemory(32771, 10));
    harness.App().AddToRecentFileList(QString::fromStdString(path));
    CORVDoc& doc = harness.App().Document();
    CORVSerialPort& engine = harness.Engine();
    ModalDriver user;
    QString caption;
    bool overlay = true;

    user.Then(PickAction(IDC_ACTION_RESTORE, &caption, &overlay));
    EXPECT_TRUE(doc.OnOpenRecentFile(ID_FILE_MRU_FIRST));
    EXPECT_EQ(caption, "Open File: a.orv");
    EXPECT_FALSE(overlay);  // overlays belong to the Pelliro only
    EXPECT_TRUE(engine.IsArmed());
    EXPECT_EQ(engine.ArmedKind(), Restore);
    EXPECT_EQ(engine.CurrentFileName(), path);

    user.Then(PickAction(0, &caption, &overlay));
    EXPECT_FALSE(doc.OnOpenRecentFile(ID_FILE_MRU_FIRST));
    EXPECT_EQ(engine.ArmedKind(), Restore);

    // The recent file is a backup: a save into it is asked for first, with
    // No as the default answer, and No leaves the restore armed.
    QString question;
    user.Then(PickAction(IDC_ACTION_SAVE, &caption, &overlay));
    user.Then([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box) {
            return false;
        }
        question = box->text();
        EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
        box->defaultButton()->click();
        return true;
    });
    EXPECT_FALSE(doc.OnOpenRecentFile(ID_FILE_MRU_FIRST));
    EXPECT_EQ(question, "The file " + QString::fromStdString(path) +
                            " already exists.\nA memory save into it replaces the backup it "
                            "holds.\nDo you want to replace it?");
    EXPECT_EQ(engine.ArmedKind(), Restore);
    user.Then(PickAction(IDC_ACTION_SAVE, &caption, &overlay));
    user.Then(ModalDriver::Answer(QMessageBox::Yes));
    EXPECT_TRUE(doc.OnOpenRecentFile(ID_FILE_MRU_FIRST));
    EXPECT_EQ(engine.ArmedKind(), Save);
    EXPECT_EQ(harness.Frame().ArmedNotice(), "a.orv waits for a memory save.");

    // The device asks to save: the recent file is used without a chooser.
    devsim::OutcomeKind outcome = devsim::OutcomeKind::Failed;
    ASSERT_TRUE(RunOnDevice(harness, user, 'S', &outcome));
    EXPECT_EQ(outcome, devsim::OutcomeKind::Completed);
    EXPECT_EQ(devsim::ReadMemoryFile(path), harness.Device().Memory());
    EXPECT_TRUE(user.Unexpected().isEmpty());
}

TEST_F(FileTest, TheOverlayActionIsOfferedForThePelliro) {
    AppHarness harness(32772);
    harness.App().AddToRecentFileList(Path("keys.orv"));
    ModalDriver user;
    QString caption;
    bool overlay = false;
    user.Then(PickAction(0, &caption, &overlay));
    EXPECT_FALSE(harness.App().Document().OnOpenRecentFile(ID_FILE_MRU_FIRST));
    EXPECT_TRUE(overlay);
}

TEST_F(FileTest, ARecentFileThatIsGoneIsReportedWhenArmedAndNothingIsArmed) {
    AppHarness harness;
    harness.App().AddToRecentFileList(Path("gone.orv"));
    ModalDriver user;
    QString caption;
    bool overlay = false;
    QString error;
    user.Then(PickAction(IDC_ACTION_RESTORE, &caption, &overlay));
    user.Then(ModalDriver::Answer(QMessageBox::Ok, &error));
    harness.App().Document().OnOpenRecentFile(ID_FILE_MRU_FIRST);
    EXPECT_EQ(error, Path("gone.orv") + " was not found.");
    EXPECT_FALSE(harness.Engine().IsArmed());
}

// The question before an empty file is restored: noted, then answered with
// Enter (the default answer) or with a click on Yes.
ModalDriver::Step AnswerEmptyRestore(bool clickYes, QString* question) {
    return [=](QWidget* modal) {
        auto* ask = qobject_cast<CYesNoDlg*>(modal);
        if (!ask) {
            return false;
        }
        *question = ask->findChild<QLabel*>(ControlName(IDC_QUESTION))->text();
        if (clickYes) {
            ask->YesButton()->click();
        } else {
            QTest::keyClick(ask, Qt::Key_Return);
        }
        return true;
    };
}

TEST_F(FileTest, AnEmptyFileIsRestoredOnlyWhenTheUserSaysYes) {
    AppHarness harness;
    const QString path = Path("empty.orv");
    WriteFileBytes(m_dir / "empty.orv", "");
    harness.App().AddToRecentFileList(path);
    CORVSerialPort& engine = harness.Engine();
    ModalDriver user;
    QString caption;
    bool overlay = false;
    QString question;

    user.Then(PickAction(IDC_ACTION_RESTORE, &caption, &overlay));
    user.Then(AnswerEmptyRestore(false, &question));
    harness.App().Document().OnOpenRecentFile(ID_FILE_MRU_FIRST);
    EXPECT_TRUE(user.Done());
    EXPECT_EQ(question, path +
                            " is empty. Restoring it may leave the device with no memory. "
                            "Restore it anyway?");
    EXPECT_FALSE(engine.IsArmed());

    question.clear();
    user.Then(ModalDriver::ChooseFiles({path}));
    user.Then(AnswerEmptyRestore(true, &question));
    EXPECT_TRUE(harness.Frame().OnRestoreMemory());
    EXPECT_FALSE(question.isEmpty());
    EXPECT_TRUE(engine.IsArmed());
    EXPECT_EQ(engine.ArmedKind(), Restore);

    // What the user agreed to: the device gets the end mark and nothing else.
    devsim::OutcomeKind outcome = devsim::OutcomeKind::Failed;
    ASSERT_TRUE(RunOnDevice(harness, user, 'L', &outcome));
    EXPECT_EQ(outcome, devsim::OutcomeKind::Completed);
    EXPECT_TRUE(harness.Device().Received().empty());
    EXPECT_EQ(harness.Device().ReceivedEndMark(), "END");
    EXPECT_TRUE(user.Unexpected().isEmpty());
}

}  // namespace
}  // namespace orv::test
