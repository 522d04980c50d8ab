// Asks for the new name of a file being renamed.
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

namespace orv {

class CNewNameDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxNameLength = 256;

    explicit CNewNameDlg(QWidget* parent = nullptr);

    QString NewName() const { return m_strNewName; }
    QLineEdit* NameEdit() const { return m_edit; }
    QPushButton* OkButton() const { return m_ok; }

private:
    void OnChangeName(const QString& text);

    QString m_strNewName;
    QLineEdit* m_edit;
    QPushButton* m_ok;
};

}  // namespace orv
