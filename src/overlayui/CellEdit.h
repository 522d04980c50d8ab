// One cell of the overlay editor: a multi-line edit field whose text is the
// cell's bytes, one character each (see CellText.h).
#pragma once

#include <QPlainTextEdit>
#include <string>

namespace orv {

class CCellEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    CCellEdit(int controlId, QWidget* parent = nullptr);

    int ControlId() const { return m_nControlId; }

    // The text, one character per cell byte; a line break is U+2029.
    std::u32string CellText() const;
    // Shows text without counting as a change by the user ('\n' breaks the line).
    void SetCellText(const std::u32string& text);
    // Focus to the cell with the text from character position on selected.
    void SelectFrom(size_t position);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    // The outline and, with the keyboard focus, the highlight around the text.
    void PaintFrame();
    // A control character typed with Ctrl: the cell takes it as text.
    void OnChar(int c);
    // False (after telling the user) when text holds a character that no
    // cell byte stands for.
    bool IsStorable(const QString& text) const;
    // Whether the key is the shortcut of one of the window's enabled commands.
    bool IsCommandShortcut(const QKeyEvent* event) const;

    int m_nControlId;
};

// The control character a key combination types: Ctrl with a letter 1-26,
// with [ \ ] ^ _ 27-31, with @ 0, with Enter 10 (LF); -1 for any other key.
int ControlCharacterOfKey(const QKeyEvent* event);

}  // namespace orv
