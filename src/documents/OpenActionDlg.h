// What to do with a file picked from the recent-file list.
#pragma once

#include <QDialog>
#include <QRadioButton>

namespace orv {

constexpr int IDC_ACTION_SAVE = 1045;
constexpr int IDC_ACTION_RESTORE = 1046;
constexpr int IDC_ACTION_OVERLAY = 1047;

class COpenActionDlg : public QDialog {
    Q_OBJECT
public:
    COpenActionDlg(const QString& path, QWidget* parent = nullptr);

    // After OK: 1045, 1046 or 1047 (0 when no action was selected).
    int ChosenAction() const { return m_nAction; }
    QRadioButton* Choice(int id) const;

    void accept() override;

private:
    int m_nAction = IDC_ACTION_SAVE;
    QRadioButton* m_choices[3];
};

}  // namespace orv
