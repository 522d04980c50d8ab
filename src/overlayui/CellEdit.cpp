#include "overlayui/CellEdit.h"

#include <QAction>
#include <QMimeData>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>

#include "overlay/CellText.h"
#include "overlay/OverlayStrings.h"
#include "ui/ControlIds.h"
#include "ui/QtText.h"

namespace orv {

namespace {

constexpr int kBackspace = 8;
constexpr int kTab = 9;
constexpr int kCarriageReturn = 13;

// The control characters a cell takes as text; Backspace, Tab and Enter keep
// their usual meaning.
bool IsCellControl(int c) {
    return (c >= 0 && c <= 7) || (c >= 10 && c <= 12) || (c >= 14 && c <= 30);
}

QString CharText(char32_t c) {
    return QString::fromUcs4(&c, 1);
}

// Part of the way from one colour to another.
QColor Mix(const QColor& from, const QColor& to, qreal share) {
    auto channel = [share](int a, int b) { return static_cast<int>(a + (b - a) * share + 0.5); };
    return QColor(channel(from.red(), to.red()), channel(from.green(), to.green()),
                  channel(from.blue(), to.blue()));
}

constexpr int kFrameWidth = 2;

}  // namespace

int ControlCharacterOfKey(const QKeyEvent* event) {
    Qt::KeyboardModifiers mods = event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    if (mods != Qt::ControlModifier) {
        return -1;
    }
    int key = event->key();
    if (key >= Qt::Key_A && key <= Qt::Key_Z) {
        return key - Qt::Key_A + 1;
    }
    switch (key) {
        case Qt::Key_At:
            return 0;
        case Qt::Key_BracketLeft:
            return 27;
        case Qt::Key_Backslash:
            return 28;
        case Qt::Key_BracketRight:
            return 29;
        case Qt::Key_AsciiCircum:
            return 30;
        case Qt::Key_Underscore:
            return 31;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return 10;
        default:
            return -1;
    }
}

CCellEdit::CCellEdit(int controlId, QWidget* parent)
    : QPlainTextEdit(parent), m_nControlId(controlId) {
    setObjectName(ControlName(controlId));
    // The frame is drawn here from the palette (see PaintFrame); a style's own
    // frame may vanish in a dark or high-contrast theme.
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(kFrameWidth);
    setTabChangesFocus(true);
    document()->setDocumentMargin(2);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setWhatsThis(LoadQString(IDS_WHATSTHIS_CELL));
}

std::u32string CCellEdit::CellText() const {
    // toPlainText would turn U+00A0 into a blank: the raw text keeps every character.
    QList<uint> ucs4 = document()->toRawText().toUcs4();
    return std::u32string(ucs4.begin(), ucs4.end());
}

void CCellEdit::SetCellText(const std::u32string& text) {
    setPlainText(QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size())));
}

void CCellEdit::SelectFrom(size_t position) {
    // Cursor positions count UTF-16 units.
    std::u32string text = CellText();
    int start = 0;
    for (size_t i = 0; i < position && i < text.size(); ++i) {
        start += text[i] > 0xFFFF ? 2 : 1;
    }
    QTextCursor cursor(document());
    cursor.setPosition(start);
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    setFocus(Qt::OtherFocusReason);
}

bool CCellEdit::IsCommandShortcut(const QKeyEvent* event) const {
    QKeySequence keys(event->keyCombination());
    for (const QAction* action : window()->findChildren<QAction*>()) {
        if (action->isEnabled() && action->shortcut() == keys) {
            return true;
        }
    }
    return false;
}

void CCellEdit::PaintFrame() {
    QPalette::ColorGroup group = isEnabled() ? QPalette::Active : QPalette::Disabled;
    const QPalette& colours = palette();
    // The outline lies between the window and the text colour: clear in every
    // theme, and lighter than the text in an ordinary one. The field with the
    // keyboard focus is ringed in the highlight colour.
    QColor outline = Mix(colours.color(group, QPalette::Window),
                         colours.color(group, QPalette::WindowText), 0.55);
    QColor lining = colours.color(group, QPalette::Base);
    if (hasFocus()) {
        outline = lining = colours.color(QPalette::Highlight);
    }
    QPainter p(this);
    QRectF outer = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(QPen(outline, 1));
    p.drawRect(outer);
    p.setPen(QPen(lining, 1));
    p.drawRect(outer.adjusted(1, 1, -1, -1));
}

bool CCellEdit::event(QEvent* event) {
    if (event->type() == QEvent::Paint) {
        bool handled = QPlainTextEdit::event(event);
        PaintFrame();
        return handled;
    }
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
        update();  // the frame shows the focus
    }
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (ControlCharacterOfKey(key) >= 0) {
            // The window's commands (Ctrl+K, Ctrl+S, ...) keep their keys; every
            // other Ctrl combination comes to the cell, Ctrl+C and Ctrl+V included.
            key->setAccepted(!IsCommandShortcut(key));
            return true;
        }
    }
    return QPlainTextEdit::event(event);
}

void CCellEdit::keyPressEvent(QKeyEvent* event) {
    int c = ControlCharacterOfKey(event);
    if (c >= 0) {
        if (IsCellControl(c)) {
            OnChar(c);
            event->accept();
            return;
        }
        // Ctrl+H, Ctrl+I and Ctrl+M do what Backspace, Tab and Enter do.
        if (c == kTab) {
            focusNextChild();
            event->accept();
            return;
        }
        if (c == kBackspace || c == kCarriageReturn) {
            QKeyEvent plain(QEvent::KeyPress, c == kBackspace ? Qt::Key_Backspace : Qt::Key_Return,
                            Qt::NoModifier,
                            c == kBackspace ? QStringLiteral("\b") : QStringLiteral("\r"));
            QPlainTextEdit::keyPressEvent(&plain);
            event->accept();
            return;
        }
    }
    if (!IsStorable(event->text())) {
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void CCellEdit::inputMethodEvent(QInputMethodEvent* event) {
    if (!IsStorable(event->commitString())) {
        // Drop what was composed, keep whatever is still being composed.
        QInputMethodEvent rest(event->preeditString(), event->attributes());
        QPlainTextEdit::inputMethodEvent(&rest);
        return;
    }
    QPlainTextEdit::inputMethodEvent(event);
}

void CCellEdit::insertFromMimeData(const QMimeData* source) {
    if (!source || !source->hasText()) {
        return;
    }
    QString text = source->text();
    // Pasted line ends of any kind are one line break each.
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (IsStorable(text)) {
        textCursor().insertText(text);
        ensureCursorVisible();
    }
}

void CCellEdit::OnChar(int c) {
    QTextCursor cursor = textCursor();
    if (c == 0) {
        cursor.removeSelectedText();
    } else {
        cursor.insertText(CharText(CharForCellByte(static_cast<uint8_t>(c))));
    }
    setTextCursor(cursor);
    ensureCursorVisible();
}

bool CCellEdit::IsStorable(const QString& text) const {
    for (char32_t c : text.toUcs4()) {
        if (!CellByteForChar(c) && c != 0) {
            ReportCellTextProblem({CellTextStatus::UnstorableCharacter, c, 0});
            return false;
        }
    }
    return true;
}

}  // namespace orv
