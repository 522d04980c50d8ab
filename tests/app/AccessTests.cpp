// The program as assistive technology, the keyboard alone and large type meet
// it: names, roles, relations and reading order through Qt's accessibility
// interfaces, the outcome of a transfer, the armed file, the toolbar in large
// type and the overlay keys in a high-contrast theme.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>
#include <QWindow>

#include "app/ORVApp.h"
#include "core/Globals.h"
#include "core/StringTable.h"
#include "documents/ORVDoc.h"
#include "documents/TransferDlg.h"
#include "engine/Serial.h"
#include "frame/MainFrm.h"
#include "overlayui/KeyboardView.h"
#include "tests/common/GuiTestSupport.h"
#include "tests/overlay/OverlayTestSupport.h"
#include "ui/Beep.h"
#include "ui/CommandIds.h"
#include "ui/ControlIds.h"
#include "ui/QtText.h"

namespace orv::test {
namespace {

QAccessibleInterface* Acc(QObject* object) {
    return QAccessible::queryAccessibleInterface(object);
}

bool Related(QAccessibleInterface* from, QAccessibleInterface* to, QAccessible::Relation relation) {
    for (const auto& [other, kind] : from->relations(relation)) {
        if (other == to && (kind & relation)) {
            return true;
        }
    }
    return false;
}

QLabel* LabelWithText(QWidget* parent, const QString& text) {
    for (QLabel* label : parent->findChildren<QLabel*>()) {
        if (label->text() == text) {
            return label;
        }
    }
    return nullptr;
}

// Perceived brightness 0-255.
int Brightness(QRgb c) {
    return (qRed(c) * 299 + qGreen(c) * 587 + qBlue(c) * 114) / 1000;
}

class AccessTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetBeeper([this] { ++m_beeps; });
        SetAttentionRequester([this](QWidget* window) { m_attention.append(window); });
    }
    void TearDown() override {
        SetBeeper([] {});
        SetAttentionRequester(nullptr);
    }

    int m_beeps = 0;
    QList<QWidget*> m_attention;
    TempDir m_dir;
};

TEST_F(AccessTest, ProgressDialogTiesCaptionsToValuesNamesTheBarAndAnnouncesTheOutcome) {
    AppHarness harness;
    CMainFrame& frame = harness.Frame();
    ModalDriver user;
    bool checked = false;
    user.Then([&](QWidget* modal) {
        auto* dlg = qobject_cast<CTransferDlg*>(modal);
        if (!dlg || !dlg->isActiveWindow()) {
            return false;
        }
        // Each value is labelled by its caption, which is read first.
        QAccessibleInterface* dialog = Acc(dlg);
        for (auto [caption, id] : {std::pair{"Bytes transferred:", IDC_TRANSFER_BYTES},
                                   std::pair{"Transfer Rate (kB/s):", IDC_TRANSFER_RATE}}) {
            QAccessibleInterface* label = Acc(LabelWithText(dlg, caption));
            QAccessibleInterface* value = Acc(dlg->findChild<QLabel*>(ControlName(id)));
            if (!label) {
                ADD_FAILURE() << "no caption " << caption;
                continue;
            }
            EXPECT_LT(dialog->indexOfChild(label), dialog->indexOfChild(value)) << caption;
            EXPECT_TRUE(Related(value, label, QAccessible::Label)) << caption;
            EXPECT_TRUE(Related(label, value, QAccessible::Labelled)) << caption;
            EXPECT_EQ(value->text(QAccessible::Name), "0");
        }
        QAccessibleInterface* bar =
            Acc(dlg->findChild<QProgressBar*>(ControlName(IDC_TRANSFER_BAR)));
        EXPECT_EQ(bar->role(), QAccessible::ProgressBar);
        EXPECT_EQ(bar->text(QAccessible::Name), "Memory transfer progress");

        // Over the middle of the main window, also once a total shows the bar.
        QPoint offset = dlg->frameGeometry().center() - frame.frameGeometry().center();
        EXPECT_LE(std::abs(offset.x()), 2) << offset.x();  // halves of odd sizes round
        EXPECT_LE(std::abs(offset.y()), 2) << offset.y();
        QRect placed = dlg->geometry();
        dlg->OnTransferNotify(Notification(TN_SET_TOTAL, 1000));
        EXPECT_EQ(dlg->geometry(), placed);

        // The end: the focused button reads OK and describes the outcome.
        dlg->OnTransferNotify(Notification(TN_FINISHED, IDM_TRANSFER_COMPLETED));
        auto* buttonWidget = dlg->findChild<QPushButton*>(ControlName(IDC_CANCEL));
        QAccessibleInterface* button = Acc(buttonWidget);
        EXPECT_EQ(button->role(), QAccessible::Button);
        EXPECT_EQ(button->text(QAccessible::Name), "OK");
        EXPECT_EQ(button->text(QAccessible::Description), "Memory transfer completed successfully");
        EXPECT_TRUE(button->state().focused);
        EXPECT_EQ(QApplication::focusWidget(), buttonWidget);
        checked = true;
        buttonWidget->click();
        return true;
    });
    CTransferDlg dlg(harness.Engine(), &frame, &frame);
    dlg.Run(false);
    EXPECT_TRUE(checked);
    EXPECT_TRUE(PumpUntil([&] { return m_beeps >= 6; }, 3000));
    EXPECT_EQ(m_beeps, 6);
    EXPECT_TRUE(m_attention.isEmpty());  // the user was looking at it
    EXPECT_TRUE(user.Unexpected().isEmpty());
}

TEST_F(AccessTest, AFailureSoundsDifferentAndCallsTheUserBackFromAnotherProgram) {
    AppHarness harness;
    CMainFrame& frame = harness.Frame();
    ModalDriver user;
    QString description;
    user.Then([&](QWidget* modal) {
        auto* dlg = qobject_cast<CTransferDlg*>(modal);
        if (!dlg || !dlg->isActiveWindow()) {
            return false;
        }
        // A window that is no window of the program's takes the focus.
        QWindow elsewhere;
        elsewhere.resize(40, 40);
        elsewhere.show();
        elsewhere.requestActivate();
        EXPECT_TRUE(PumpUntil([] { return QApplication::activeWindow() == nullptr; }, 3000));
        dlg->OnTransferNotify(Notification(TN_FINISHED, IDM_COMM_TIMEOUT));
        description = Acc(dlg->findChild<QPushButton*>(ControlName(IDC_CANCEL)))
                          ->text(QAccessible::Description);
        dlg->done(0);
        return true;
    });
    CTransferDlg dlg(harness.Engine(), &frame, &frame);
    dlg.Run(true);
    EXPECT_EQ(description, "Communications timeout.\nPlease check your cable connections.");
    EXPECT_EQ(m_attention, QList<QWidget*>{&frame});
    // Three beeps, half a second apart, where success has six quick ones.
    EXPECT_TRUE(PumpUntil([&] { return m_beeps >= 3; }, 3000));
    Pump(700);
    EXPECT_EQ(m_beeps, 3);
}

TEST_F(AccessTest, InstructionsAreAFocusableTextThatTellsWhichFileWaitsForWhichTransfer) {
    AppHarness harness;
    CMainFrame& frame = harness.Frame();
    auto* text = frame.findChild<QTextEdit*>(ControlName(IDC_INSTRUCTIONS));
    ASSERT_NE(text, nullptr);
    QAccessibleInterface* instructions = Acc(text);
    EXPECT_EQ(instructions->role(), QAccessible::EditableText);
    EXPECT_TRUE(instructions->state().readOnly);
    EXPECT_TRUE(instructions->state().focusable);
    EXPECT_EQ(instructions->text(QAccessible::Name),
              "How to start a memory transfer on the device");
    QAccessibleTextInterface* content = instructions->textInterface();
    ASSERT_NE(content, nullptr);
    EXPECT_EQ(content->text(0, content->characterCount()).toStdString(), LoadString(500));
    // The window opens with the instructions under the keyboard focus.
    EXPECT_EQ(QApplication::focusWidget(), text);
    EXPECT_TRUE(instructions->text(QAccessible::Description).isEmpty());
    QTest::keyClick(text, Qt::Key_Tab);
    // Tab goes on to the toolbar.
    EXPECT_EQ(QApplication::focusWidget(), frame.ToolbarButton(ID_RESTORE_MEMORY));

    // Save memory from the menu. The main window is active again when the
    // chooser and its question have gone, without any click.
    std::string path = (m_dir / "MEM.ORV").string();
    const QString notice = "MEM.ORV waits for a memory save.";
    ModalDriver user;
    user.Then(ModalDriver::ChooseFiles({QString::fromStdString(path)}));
    user.Then(ModalDriver::Answer(QMessageBox::Yes));
    frame.Action(ID_SAVE_MEMORY)->trigger();
    EXPECT_TRUE(user.Done());
    EXPECT_TRUE(QTest::qWaitForWindowActive(&frame, 3000));
    EXPECT_EQ(frame.StatusText(), notice);
    EXPECT_EQ(instructions->text(QAccessible::Description),
              QString::fromStdString(path) + " waits for a memory save.");
    // A prompt shown under the pointer covers the notice only for its time.
    frame.statusBar()->showMessage("Save memory to a file");
    frame.statusBar()->clearMessage();
    EXPECT_EQ(frame.StatusText(), notice);

    // The device starts the save: from then on nothing waits any more.
    QString noticeDuring = notice;
    QString descriptionDuring = notice;
    user.Then([&](QWidget* modal) {
        auto* dlg = qobject_cast<CTransferDlg*>(modal);
        if (!dlg || !dlg->IsFinished()) {
            return false;
        }
        noticeDuring = frame.StatusText();
        descriptionDuring = instructions->text(QAccessible::Description);
        dlg->done(0);
        return true;
    });
    devsim::Script script;
    script.letter = 'S';
    harness.Device().Start(script);
    ASSERT_TRUE(PumpUntil([&] { return !harness.Device().Running(); }, 20000));
    ASSERT_TRUE(user.WaitDone());
    EXPECT_EQ(harness.Device().Wait(std::chrono::milliseconds(0))->kind,
              devsim::OutcomeKind::Completed);
    EXPECT_NE(noticeDuring, notice);
    EXPECT_TRUE(descriptionDuring.isEmpty());
    EXPECT_TRUE(frame.ArmedNotice().isEmpty());
    EXPECT_NE(frame.StatusText(), notice);
    EXPECT_TRUE(user.Unexpected().isEmpty());
}

TEST_F(AccessTest, InLargeTypeTheToolbarButtonsGrowAndNoLabelIsCut) {
    AppHarness harness(32772);  // the Pelliro: Edit keyboard overlay has the longest label
    CMainFrame& frame = harness.Frame();
    auto* instructions = frame.findChild<QTextEdit*>(ControlName(IDC_INSTRUCTIONS));
    const QSize usualInstructions = instructions->size();
    const QFont usual = QApplication::font();
    QFont large = usual;
    large.setPointSizeF(18);
    QApplication::setFont(large);
    Pump(20);
    // The instructions grow with the type, and the window with them.
    EXPECT_GT(instructions->font().pointSizeF(), 18);
    EXPECT_GT(instructions->width(), usualInstructions.width());
    EXPECT_GE(frame.width(), instructions->width());

    const int ids[] = {ID_RESTORE_MEMORY, ID_SAVE_MEMORY, ID_EDIT_OVERLAY, ID_APP_EXIT};
    int row = 0;
    for (int id : ids) {
        QToolButton* button = frame.ToolbarButton(id);
        ASSERT_TRUE(frame.IsToolbarButtonShown(id));
        EXPECT_EQ(button->size(), frame.ToolbarButton(ids[0])->size()) << id;
        EXPECT_GT(button->height(), 72) << id;
        // Room for the picture and every line of the label.
        QStringList lines = button->text().split('\n');
        EXPECT_LE(lines.size(), 2) << id;
        QFontMetrics metrics = button->fontMetrics();
        EXPECT_GE(button->height(),
                  button->iconSize().height() + lines.size() * metrics.lineSpacing())
            << id;
        for (const QString& line : lines) {
            EXPECT_LT(metrics.horizontalAdvance(line), button->width()) << id;
        }
        EXPECT_EQ(lines.join(' '), PromptTip(id)) << id;
        row += button->width();
    }
    EXPECT_GE(frame.width(), row);

    // Back in the usual type the buttons are the usual size again.
    QApplication::setFont(usual);
    Pump(20);
    for (int id : ids) {
        EXPECT_EQ(frame.ToolbarButton(id)->size(), QSize(122, 72)) << id;
    }
}

TEST_F(AccessTest, OverlayKeysAreNamedAndStayFramedInAHighContrastTheme) {
    AppHarness harness(32772);
    WriteFileBytes(m_dir / "k.orv", OverlayFileBytes(SampleCells()));
    ASSERT_TRUE(
        harness.App().Document().OpenOverlay(QString::fromStdString((m_dir / "k.orv").string())));
    CKeyboardView& view = *harness.App().Document().KeyboardView();
    for (int k : {0, 7, 31}) {
        QAccessibleInterface* key = Acc(view.Cell(k));
        EXPECT_EQ(key->role(), QAccessible::EditableText);
        EXPECT_EQ(key->text(QAccessible::Name).toStdString(), CellLabel(k));
    }
    QAccessibleInterface* cancel = Acc(view.Button(IDC_CANCEL_EDIT));
    EXPECT_EQ(cancel->text(QAccessible::Name), "Cancel");
    EXPECT_EQ(cancel->text(QAccessible::Accelerator).toLower(), "alt+a");

    // White on black, as a high-contrast theme has it.
    QPalette black;
    for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::Button}) {
        black.setColor(role, Qt::black);
    }
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        black.setColor(role, Qt::white);
    }
    black.setColor(QPalette::Highlight, Qt::yellow);
    view.setPalette(black);
    view.Cell(0)->setFocus();
    Pump(20);
    ASSERT_TRUE(view.Cell(0)->hasFocus());
    QImage focused = view.Cell(0)->grab().toImage();
    QImage other = view.Cell(9)->grab().toImage();
    for (QPoint edge :
         {QPoint(0, other.height() / 2), QPoint(other.width() - 1, other.height() / 2),
          QPoint(other.width() / 2, 0), QPoint(other.width() / 2, other.height() - 1)}) {
        EXPECT_GE(Brightness(other.pixel(edge)), 110) << edge.x() << "," << edge.y();
        EXPECT_EQ(QColor(focused.pixel(edge)), QColor(Qt::yellow)) << edge.x() << "," << edge.y();
    }
    // Inside the frame the key is its background, black.
    EXPECT_LT(Brightness(other.pixel(other.width() / 2, other.height() - 4)), 40);
}

}  // namespace
}  // namespace orv::test
