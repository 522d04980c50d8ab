// The main form: the selected device's instructions for starting a transfer.
#pragma once

#include <QTextEdit>
#include <QWidget>

namespace orv {

// The instructions: a read-only text that takes the keyboard focus, so that
// a screen reader can read it line by line; centred like a caption.
class CInstructionsText : public QTextEdit {
    Q_OBJECT
public:
    explicit CInstructionsText(QWidget* parent = nullptr);

    void SetText(const QString& text);
    // The height the text needs at this width, frame included.
    int HeightFor(const QString& text, int width) const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void CentreVertically();
};

class CORVView : public QWidget {
    Q_OBJECT
public:
    explicit CORVView(QWidget* parent = nullptr);
    ~CORVView() override;

    // First showing: fits the frame to the form, records the view, enlarges the text.
    void OnInitialUpdate();
    // The view becomes the one shown again: restores the caption.
    void OnActivateView();

    void SetInstructions(const QString& text);
    // The text of messageId as the instructions, when the table has one.
    void ShowInstructions(int messageId);
    QString Instructions() const;
    // Which file waits for which transfer (empty: none), for assistive
    // technology with the instructions.
    void SetArmedNotice(const QString& text);

protected:
    void changeEvent(QEvent* event) override;

private:
    // The instructions' larger bold type, and a size that holds the longest.
    void FitInstructions();

    CInstructionsText* m_instructions;  // control 1004
    bool m_bFontEnlarged = false;
};

}  // namespace orv
