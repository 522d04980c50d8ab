// A question with Yes and No, No being the default answer.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>

namespace orv {

class CYesNoDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int IDYES = 6;
    static constexpr int IDNO = 7;

    explicit CYesNoDlg(const QString& question, QWidget* parent = nullptr);

    QPushButton* YesButton() const { return m_yes; }
    QPushButton* NoButton() const { return m_no; }

private:
    QLabel* m_question;  // 1070
    QPushButton* m_yes;
    QPushButton* m_no;
};

}  // namespace orv
