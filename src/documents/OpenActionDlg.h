// What to do with a file picked from the recent-file list.
#pragma once

#include <QDialog>
#include <QRadioButton>

#include "ui/ControlIds.h"

namespace orv {

class COpenActionDlg : public QDialog {
    Q_OBJECT
public:
    COpenActionDlg(const QString& path, QWidget* parent = nullptr);

    // After OK: IDC_ACTION_SAVE, IDC_ACTION_RESTORE or IDC_ACTION_OVERLAY (0
    // when no action was selected).
    int ChosenAction() const { return m_nAction; }
    QRadioButton* Choice(int id) const;

    void accept() override;

private:
    int m_nAction = IDC_ACTION_SAVE;
    QRadioButton* m_choices[3];
};

}  // namespace orv
