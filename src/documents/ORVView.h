// The main form: the selected device's instructions for starting a transfer.
#pragma once

#include <QLabel>
#include <QWidget>

namespace orv {

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
    QString Instructions() const;

private:
    QLabel* m_instructions;  // control 1004
    bool m_bFontEnlarged = false;
};

}  // namespace orv
