// The keyboard overlay editor: typing into cells, the 63-byte limit, its
// buttons, the save prompt, and the commands that open overlays.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QTest>
#include <filesystem>

#include "app/ORVApp.h"
#include "core/Globals.h"
#include "documents/ORVDoc.h"
#include "documents/ORVView.h"
#include "documents/OpenActionDlg.h"
#include "frame/MainFrm.h"
#include "overlay/CellText.h"
#include "overlayui/KeyboardView.h"
#include "tests/common/GuiTestSupport.h"
#include "tests/overlay/OverlayTestSupport.h"
#include "ui/CommandIds.h"
#include "ui/ControlIds.h"

namespace orv::test {
namespace {

namespace fs = std::filesystem;

constexpr uint32_t kPelliro = 32772;

const QString kTooLong = QStringLiteral("Please enter no more than 63 characters.");

class OverlayEditorTest : public ::testing::Test {
protected:
    OverlayEditorTest() : m_harness(kPelliro) {}

    // An overlay file of these cells in the test's folder.
    QString WriteOverlay(const std::string& name, const OverlayCells& cells) {
        WriteFileBytes(m_dir / name, OverlayFileBytes(cells));
        return Path(name);
    }
    QString Path(const std::string& name) const {
        return QString::fromStdString((m_dir / name).string());
    }
    std::string Bytes(const std::string& name) const { return ReadFileBytes(m_dir / name); }

    // Opens the file in the editor as the recent-file action does.
    CKeyboardView& Open(const QString& path) {
        EXPECT_TRUE(Doc().OpenOverlay(path));
        EXPECT_EQ(g_Globals.CurrentViewId, kKeyboardViewId);
        return *Doc().KeyboardView();
    }

    CORVDoc& Doc() { return m_harness.App().Document(); }
    CMainFrame& Frame() { return m_harness.Frame(); }
    CCellEdit* Cell(int k) { return Doc().KeyboardView()->Cell(k); }
    void Click(int buttonId) { Doc().KeyboardView()->Button(buttonId)->click(); }

    // Types text into cell k, as keys.
    CCellEdit* Type(int k, const QString& keys) {
        CCellEdit* cell = Cell(k);
        cell->setFocus();
        cell->moveCursor(QTextCursor::End);
        QTest::keyClicks(cell, keys);
        return cell;
    }

    bool DeviceItemsEnabled() {
        QCoreApplication::processEvents();
        bool any = false;
        for (int id = ID_DEVICE_FIRST; id <= ID_DEVICE_LAST; ++id) {
            any = any || Frame().Action(id)->isEnabled();
        }
        return any;
    }

    TempDir m_dir;
    AppHarness m_harness;
};

TEST_F(OverlayEditorTest, CellsSitInTheirGridWithTooltipsOnTheButtonsOnly) {
    Open(WriteOverlay("k.orv", OverlayCells()));
    for (int k = 0; k < OverlayCellCount; ++k) {
        EXPECT_EQ(Cell(k)->objectName(), ControlName(IDC_CELL_FIRST + k));
        EXPECT_TRUE(Cell(k)->toolTip().isEmpty());
    }
    // Cell 7 is H1, the end of the first row; cell 8 starts the second.
    EXPECT_GT(Cell(7)->x(), Cell(6)->x());
    EXPECT_EQ(Cell(7)->y(), Cell(0)->y());
    EXPECT_EQ(Cell(8)->x(), Cell(0)->x());
    EXPECT_GT(Cell(8)->y(), Cell(0)->y());

    CKeyboardView& view = *Doc().KeyboardView();
    EXPECT_EQ(view.Button(ID_FILE_SAVE)->toolTip(), "Save the current file");
    EXPECT_EQ(view.Button(IDC_CLEAR_ALL)->toolTip(), "Clear all text fields");
    EXPECT_EQ(view.Button(IDC_RELOAD)->toolTip(), "Reload file from disk");
    EXPECT_EQ(view.Button(IDC_CANCEL_EDIT)->toolTip(), "Cancel all changes");
    EXPECT_EQ(view.Button(IDC_CLOSE_FILE)->toolTip(), "Close current file");
    EXPECT_TRUE(view.Button(ID_FILE_SAVE)->isDefault());
    EXPECT_EQ(view.Button(IDC_CLEAR_ALL)->text(), "C&lear All");
}

TEST_F(OverlayEditorTest, ALineBreakIsStoredAsOneCrAndShownAgainAsTwoLines) {
    Open(WriteOverlay("k.orv", OverlayCells()));
    EXPECT_FALSE(Doc().IsModified());
    Type(0, "ab");
    QTest::keyClick(Cell(0), Qt::Key_Return);
    QTest::keyClick(Cell(0), Qt::Key_C);
    EXPECT_EQ(Doc().Cells().Text(0), "ab\rc");
    EXPECT_TRUE(Doc().IsModified());

    Click(ID_FILE_SAVE);
    EXPECT_FALSE(Doc().IsModified());
    EXPECT_EQ(Frame().StatusText(), "Keyboard emulation file 'k.orv' saved");
    OverlayCells expected;
    SetCellText(expected, 0, "ab\rc");
    EXPECT_EQ(Bytes("k.orv"), OverlayFileBytes(expected));
    EXPECT_EQ(g_Globals.LastFilePath, Path("k.orv").toStdString());
    EXPECT_EQ(g_Globals.CurrentViewId, kKeyboardViewId);  // Save keeps the editor

    Click(IDC_RELOAD);
    EXPECT_EQ(Cell(0)->toPlainText(), "ab\nc");
    EXPECT_EQ(Cell(0)->blockCount(), 2);
    EXPECT_FALSE(Doc().IsModified());
}

TEST_F(OverlayEditorTest, A64thByteIsRefusedAtOnceAndOnSave) {
    std::string original = OverlayFileBytes(OverlayCells());
    Open(WriteOverlay("k.orv", OverlayCells()));
    // 61 characters, a line break and one more: 63 bytes fit.
    Type(0, QString(61, QLatin1Char('x')));
    QTest::keyClick(Cell(0), Qt::Key_Return);
    QTest::keyClick(Cell(0), Qt::Key_Y);
    EXPECT_EQ(Doc().Cells().TextLength(0), 63);

    ModalDriver user;
    QString message;
    user.Then(ModalDriver::Answer(QMessageBox::Ok, &message));
    QTest::keyClick(Cell(0), Qt::Key_Z);
    EXPECT_TRUE(user.Done());
    EXPECT_EQ(message, kTooLong);
    // The cell has the focus and what is too much is selected.
    EXPECT_EQ(Frame().focusWidget(), Cell(0));
    EXPECT_EQ(Cell(0)->textCursor().selectedText(), "z");
    EXPECT_EQ(Doc().Cells().Text(0), std::string(61, 'x') + "\ry");

    // Save refuses too, and writes nothing.
    message.clear();
    user.Then(ModalDriver::Answer(QMessageBox::Ok, &message));
    Click(ID_FILE_SAVE);
    EXPECT_EQ(message, kTooLong);
    EXPECT_EQ(Bytes("k.orv"), original);
    EXPECT_TRUE(Doc().IsModified());

    // Backspace takes the selected excess away; now it saves.
    QTest::keyClick(Cell(0), Qt::Key_Backspace);
    Click(ID_FILE_SAVE);
    OverlayCells expected;
    SetCellText(expected, 0, std::string(61, 'x') + "\ry");
    EXPECT_EQ(Bytes("k.orv"), OverlayFileBytes(expected));
    EXPECT_TRUE(user.Unexpected().isEmpty());
}

TEST_F(OverlayEditorTest, CtrlKeysTypeControlCharactersButCommandsKeepTheirKeys) {
    Open(WriteOverlay("k.orv", OverlayCells()));
    Type(0, "a");
    QTest::keyClick(Cell(0), Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(Cell(0), Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(Cell(0), Qt::Key_J, Qt::ControlModifier);
    EXPECT_EQ(Doc().Cells().Text(0), "a\x03\x16\n");
    QTest::keyClick(Cell(0), Qt::Key_Backspace);
    EXPECT_EQ(Doc().Cells().Text(0), "a\x03\x16");
    // Ctrl+H is Backspace, Ctrl+M a line break.
    QTest::keyClick(Cell(0), Qt::Key_H, Qt::ControlModifier);
    QTest::keyClick(Cell(0), Qt::Key_M, Qt::ControlModifier);
    EXPECT_EQ(Doc().Cells().Text(0), "a\x03\r");

    // Tab goes on to the next cell.
    QTest::keyClick(Cell(0), Qt::Key_Tab);
    EXPECT_TRUE(Cell(1)->hasFocus());

    // Ctrl+K stays Edit keyboard overlay: the edits are offered for saving.
    ModalDriver user;
    QString question;
    user.Then(ModalDriver::Answer(QMessageBox::Cancel, &question));
    QTest::keyClick(Cell(1), Qt::Key_K, Qt::ControlModifier);
    EXPECT_TRUE(user.Done());
    EXPECT_EQ(question, "Save changes to " + Path("k.orv") + "?");
    EXPECT_EQ(Doc().Cells().TextLength(1), 0);
    EXPECT_TRUE(Doc().IsModified());
}

TEST_F(OverlayEditorTest, ACharacterWithoutAByteIsRefusedNotChanged) {
    Open(WriteOverlay("k.orv", OverlayCells()));
    Type(0, "ab");
    Doc().SetModifiedFlag(false);
    ModalDriver user;
    QString message;
    user.Then(ModalDriver::Answer(QMessageBox::Ok, &message));
    QKeyEvent euro(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QStringLiteral("€"));
    QApplication::sendEvent(Cell(0), &euro);
    EXPECT_TRUE(user.Done());
    EXPECT_EQ(message.toStdString(), UnstorableCharacterMessage(U'€'));
    EXPECT_EQ(Cell(0)->toPlainText(), "ab");
    EXPECT_FALSE(Doc().IsModified());

    // Pasting: refused whole when one character cannot be stored; line ends of
    // any kind are one line break.
    user.Then(ModalDriver::Answer(QMessageBox::Ok));
    QApplication::clipboard()->setText(QStringLiteral("x€"));
    Cell(0)->paste();
    EXPECT_TRUE(user.Done());
    EXPECT_EQ(Cell(0)->toPlainText(), "ab");
    QApplication::clipboard()->setText(QStringLiteral("x\r\ny\rz\u00e9"));
    Cell(0)->paste();
    EXPECT_EQ(Doc().Cells().Text(0), "abx\ry\rz\xe9");
}

TEST_F(OverlayEditorTest, EveryByteValueComesBackUnchangedThroughTheEditor) {
    OverlayCells cells;
    for (int b = 1; b < 256; ++b) {
        int k = (b - 1) / OverlayCellSize;
        cells.Cell(k)[static_cast<size_t>((b - 1) % OverlayCellSize)] = static_cast<uint8_t>(b);
    }
    QString path = WriteOverlay("all.orv", cells);
    std::string original = Bytes("all.orv");
    Open(path);
    Doc().Cells().Clear();  // what is saved must come from the cells on the screen
    Click(ID_FILE_SAVE);
    EXPECT_EQ(Bytes("all.orv"), original);
}

TEST_F(OverlayEditorTest, ClearAllThenCancelWritesNothing) {
    OverlayCells cells = SampleCells();
    QString path = WriteOverlay("k.orv", cells);
    std::string original = Bytes("k.orv");
    Open(path);
    EXPECT_EQ(Frame().windowTitle(), "ORV - Pelliro - [k.orv]");
    EXPECT_EQ(Frame().StatusText(), "Keyboard emulation file 'k.orv' opened");
    EXPECT_FALSE(DeviceItemsEnabled());
    EXPECT_TRUE(Frame().Action(kPelliro)->isChecked());

    Click(IDC_CLEAR_ALL);
    for (int k = 0; k < OverlayCellCount; ++k) {
        EXPECT_TRUE(Cell(k)->toPlainText().isEmpty());
        EXPECT_EQ(Doc().Cells().TextLength(k), 0);
    }
    EXPECT_EQ(Frame().StatusText(), "Cleared all keyboard emulation text");
    EXPECT_TRUE(Doc().IsModified());

    Click(IDC_CANCEL_EDIT);
    EXPECT_EQ(g_Globals.CurrentViewId, kMainViewId);
    EXPECT_EQ(Frame().ActiveView(), static_cast<QWidget*>(Doc().MainView()));
    EXPECT_FALSE(Doc().IsModified());
    EXPECT_EQ(Bytes("k.orv"), original);
    EXPECT_EQ(Frame().windowTitle(), "ORV - Pelliro");
    EXPECT_TRUE(DeviceItemsEnabled());
}

TEST_F(OverlayEditorTest, EscapeLeavesLikeCancelButOffersToSaveEditsFirst) {
    QString path = WriteOverlay("k.orv", OverlayCells());
    std::string original = Bytes("k.orv");
    EXPECT_EQ(Open(path).Button(IDC_CANCEL_EDIT)->text(), "C&ancel");
    // Without edits Escape goes straight back, as Cancel does.
    QTest::keyClick(Cell(5), Qt::Key_Escape);
    EXPECT_EQ(g_Globals.CurrentViewId, kMainViewId);

    Open(path);
    Type(0, "abc");
    ModalDriver user;
    QString question;
    user.Then(ModalDriver::Answer(QMessageBox::Cancel, &question));
    QTest::keyClick(Cell(0), Qt::Key_Escape);
    EXPECT_TRUE(user.Done());
    EXPECT_EQ(question, "Save changes to " + path + "?");
    EXPECT_EQ(g_Globals.CurrentViewId, kKeyboardViewId);
    EXPECT_EQ(Cell(0)->toPlainText(), "abc");

    // The window is active again once the question has gone: keys reach it.
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame(), 3000));
    user.Then(ModalDriver::Answer(QMessageBox::No));
    QTest::keyClick(Cell(0), Qt::Key_Escape);
    EXPECT_TRUE(user.Done());
    EXPECT_EQ(g_Globals.CurrentViewId, kMainViewId);
    EXPECT_EQ(Bytes("k.orv"), original);
    EXPECT_TRUE(user.Unexpected().isEmpty());
}

TEST_F(OverlayEditorTest, ReloadRestoresTheFileWithoutAQuestion) {
    OverlayCells cells = SampleCells();
    Open(WriteOverlay("k.orv", cells));
    Type(3, "more");
    Click(IDC_CLEAR_ALL);
    Type(5, "new");
    ModalDriver user;
    Click(IDC_RELOAD);
    EXPECT_EQ(Doc().Cells(), cells);
    EXPECT_FALSE(Doc().IsModified());
    // The cells on the screen hold the file's text too.
    Doc().Cells().Clear();
    EXPECT_TRUE(Doc().KeyboardView()->UpdateData(true));
    EXPECT_EQ(Doc().Cells(), cells);
    EXPECT_TRUE(user.Unexpected().isEmpty());
}

TEST_F(OverlayEditorTest, CloseOffersToSaveEdits) {
    QString path = WriteOverlay("k.orv", OverlayCells());
    std::string original = Bytes("k.orv");
    Open(path);
    Type(0, "abc");
    ModalDriver user;
    QString question;

    // Cancel: nothing happens.
    user.Then(ModalDriver::Answer(QMessageBox::Cancel, &question));
    Click(IDC_CLOSE_FILE);
    EXPECT_EQ(question, "Save changes to " + path + "?");
    EXPECT_EQ(g_Globals.CurrentViewId, kKeyboardViewId);
    EXPECT_TRUE(Doc().IsModified());

    // No: back to the main view, nothing written.
    user.Then(ModalDriver::Answer(QMessageBox::No));
    Click(IDC_CLOSE_FILE);
    EXPECT_EQ(g_Globals.CurrentViewId, kMainViewId);
    EXPECT_EQ(Bytes("k.orv"), original);
    EXPECT_FALSE(Doc().IsModified());

    // Yes: written, then back.
    Open(path);
    Type(0, "abc");
    user.Then(ModalDriver::Answer(QMessageBox::Yes));
    Click(IDC_CLOSE_FILE);
    EXPECT_EQ(g_Globals.CurrentViewId, kMainViewId);
    OverlayCells expected;
    SetCellText(expected, 0, "abc");
    EXPECT_EQ(Bytes("k.orv"), OverlayFileBytes(expected));

    // Unmodified: no question.
    Open(path);
    Click(IDC_CLOSE_FILE);
    EXPECT_EQ(g_Globals.CurrentViewId, kMainViewId);
    EXPECT_TRUE(user.Unexpected().isEmpty());
}

TEST_F(OverlayEditorTest, EditKeyboardOverlayAsksAboutEditsThenOpensTheChosenFile) {
    OverlayCells second;
    SetCellText(second, 9, "second");
    QString firstPath = WriteOverlay("first.orv", OverlayCells());
    QString secondPath = WriteOverlay("second.orv", second);
    std::string firstBytes = Bytes("first.orv");
    Open(firstPath);
    Type(0, "edit");

    ModalDriver user;
    QString title;
    user.Then(ModalDriver::Answer(QMessageBox::No));
    user.Then(ModalDriver::ChooseFiles({secondPath}, &title));
    Frame().Action(ID_EDIT_OVERLAY)->trigger();
    EXPECT_TRUE(user.Done());
    EXPECT_EQ(title, "Open Keyboard Emulation File");
    EXPECT_EQ(Bytes("first.orv"), firstBytes);
    EXPECT_EQ(Cell(9)->toPlainText(), "second");
    EXPECT_TRUE(Cell(0)->toPlainText().isEmpty());
    EXPECT_EQ(Frame().windowTitle(), "ORV - Pelliro - [second.orv]");
    EXPECT_EQ(Doc().PathName(), secondPath);
    EXPECT_EQ(m_harness.App().RecentFiles().Entry(0), secondPath);

    // Yes saves the edits before the chooser; a cancelled chooser changes nothing more.
    Type(9, "!");
    user.Then(ModalDriver::Answer(QMessageBox::Yes));
    user.Then(ModalDriver::CancelChooser());
    Frame().Action(ID_EDIT_OVERLAY)->trigger();
    EXPECT_TRUE(user.Done());
    SetCellText(second, 9, "second!");
    EXPECT_EQ(Bytes("second.orv"), OverlayFileBytes(second));
    EXPECT_EQ(g_Globals.CurrentViewId, kKeyboardViewId);
    EXPECT_TRUE(user.Unexpected().isEmpty());
}

// Chooses Edit keyboard overlay file in the action dialog of a recent file.
ModalDriver::Step ChooseOverlayAction() {
    return [](QWidget* modal) {
        auto* dlg = qobject_cast<COpenActionDlg*>(modal);
        if (!dlg) {
            return false;
        }
        dlg->Choice(IDC_ACTION_OVERLAY)->setChecked(true);
        dlg->accept();
        return true;
    };
}

TEST_F(OverlayEditorTest, TheRecentFileActionReplacesEditsWithoutAQuestion) {
    OverlayCells second;
    SetCellText(second, 31, "H4");
    QString secondPath = WriteOverlay("second.orv", second);
    m_harness.App().AddToRecentFileList(secondPath);
    Open(WriteOverlay("first.orv", OverlayCells()));
    Type(0, "edit");

    ModalDriver user;
    user.Then(ChooseOverlayAction());
    EXPECT_TRUE(Doc().OnOpenRecentFile(ID_FILE_MRU_FIRST + 1));
    EXPECT_EQ(Doc().PathName(), secondPath);
    EXPECT_EQ(Cell(31)->toPlainText(), "H4");
    EXPECT_TRUE(Cell(0)->toPlainText().isEmpty());
    EXPECT_FALSE(Doc().IsModified());
    Click(IDC_CANCEL_EDIT);

    // A file that is no overlay: message 132, and the main view stays.
    WriteFileBytes(m_dir / "memory.orv", "V300\r\nA0101FD\r\n");
    m_harness.App().AddToRecentFileList(Path("memory.orv"));
    QString message;
    user.Then(ChooseOverlayAction());
    user.Then(ModalDriver::Answer(QMessageBox::Ok, &message));
    EXPECT_TRUE(Doc().OnOpenRecentFile(ID_FILE_MRU_FIRST));
    EXPECT_EQ(message,
              "The file memory.orv is not a valid Pelliro keyboard emulation overlay file.\n"
              "Please select another file.");
    EXPECT_EQ(g_Globals.CurrentViewId, kMainViewId);
    EXPECT_EQ(Frame().windowTitle(), "ORV - Pelliro");
    EXPECT_TRUE(user.Unexpected().isEmpty());
}

TEST_F(OverlayEditorTest, AFileThatIsGoneIsNotCreatedBySaveButCanBeSavedUnderANewName) {
    QString path = WriteOverlay("k.orv", OverlayCells());
    Open(path);
    Type(2, "keep me");
    fs::remove(m_dir / "k.orv");

    ModalDriver user;
    QString message;
    user.Then(ModalDriver::Answer(QMessageBox::Ok, &message));
    Click(ID_FILE_SAVE);
    EXPECT_EQ(message, path + " was not found.");
    EXPECT_FALSE(fs::exists(m_dir / "k.orv"));
    EXPECT_TRUE(Doc().IsModified());

    // Close, Yes: the file is gone, so a new name is asked for and made.
    QString title;
    user.Then(ModalDriver::Answer(QMessageBox::Yes));
    user.Then(ModalDriver::ChooseFiles({Path("new.orv")}, &title));
    Click(IDC_CLOSE_FILE);
    EXPECT_TRUE(user.Done());
    EXPECT_EQ(title, "Save As");
    OverlayCells expected;
    SetCellText(expected, 2, "keep me");
    EXPECT_EQ(Bytes("new.orv"), OverlayFileBytes(expected));
    EXPECT_EQ(Doc().PathName(), Path("new.orv"));
    EXPECT_EQ(g_Globals.CurrentViewId, kMainViewId);
    EXPECT_TRUE(user.Unexpected().isEmpty());
}

TEST_F(OverlayEditorTest, AFileHandedOverWhileEditingClosesTheEditorFirst) {
    QString path = WriteOverlay("k.orv", OverlayCells());
    std::string original = Bytes("k.orv");
    WriteFileBytes(m_dir / "memory.orv", "V300\r\nA0101FD\r\n");
    Open(path);
    Type(0, "abc");

    ModalDriver user;
    QString question;
    user.Then(ModalDriver::Answer(QMessageBox::Cancel, &question));
    EXPECT_FALSE(Doc().OnOpenDocument(Path("memory.orv")));
    EXPECT_EQ(question, "Save changes to " + path + "?");
    EXPECT_EQ(Doc().PathName(), path);
    EXPECT_EQ(g_Globals.CurrentViewId, kKeyboardViewId);

    user.Then(ModalDriver::Answer(QMessageBox::No));
    EXPECT_TRUE(Doc().OnOpenDocument(Path("memory.orv")));
    EXPECT_EQ(g_Globals.CurrentViewId, kMainViewId);
    EXPECT_EQ(Doc().PathName(), Path("memory.orv"));
    EXPECT_EQ(Bytes("memory.orv"), "V300\r\nA0101FD\r\n");
    EXPECT_EQ(Bytes("k.orv"), original);
}

TEST_F(OverlayEditorTest, ClosingTheWindowOffersToSaveEdits) {
    Open(WriteOverlay("k.orv", OverlayCells()));
    Type(0, "abc");
    ModalDriver user;
    user.Then(ModalDriver::Answer(QMessageBox::Cancel));
    EXPECT_FALSE(Frame().close());
    EXPECT_TRUE(Frame().isVisible());

    user.Then(ModalDriver::Answer(QMessageBox::Yes));
    EXPECT_TRUE(Frame().close());
    OverlayCells expected;
    SetCellText(expected, 0, "abc");
    EXPECT_EQ(Bytes("k.orv"), OverlayFileBytes(expected));
}

}  // namespace
}  // namespace orv::test
