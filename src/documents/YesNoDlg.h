// A question with Yes and No, No being the default answer.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>

#include "ui/ControlIds.h"

namespace orv {

class CYesNoDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int IDYES = IDC_YES;
    static constexpr int IDNO = IDC_NO;

    explicit CYesNoDlg(const QString& question, QWidget* parent = nullptr);

    QPushButton* YesButton() const { return m_yes; }
    QPushButton* NoButton() const { return m_no; }

private:
    QLabel* m_question;
    QPushButton* m_yes;
    QPushButton* m_no;
};

}  // namespace orv
