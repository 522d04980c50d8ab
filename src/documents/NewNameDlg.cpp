#include "documents/NewNameDlg.h"

#include <QLabel>
#include <QVBoxLayout>

#include "core/StringTable.h"
#include "ui/ControlIds.h"
#include "ui/DialogButtons.h"
#include "ui/QtText.h"

namespace orv {

CNewNameDlg::CNewNameDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(ControlName(IDD_NEW_NAME));
    setWindowTitle(LoadQString(IDS_RENAME_TITLE));

    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(LoadQString(IDS_RENAME_LABEL), this);
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(ControlName(IDC_NEW_NAME));
    m_edit->setMaxLength(kMaxNameLength);
    label->setBuddy(m_edit);
    auto* prompt = new QLabel(LoadQString(IDS_RENAME_PROMPT), this);
    prompt->setWordWrap(true);
    layout->addWidget(label);
    layout->addWidget(m_edit);
    layout->addWidget(prompt);
    OkCancelButtons buttons = MakeOkCancelButtons(this);
    m_ok = buttons.ok;
    m_ok->setEnabled(false);
    layout->addWidget(buttons.box);
    setMinimumWidth(380);

    connect(m_edit, &QLineEdit::textChanged, this, &CNewNameDlg::OnChangeName);
}

void CNewNameDlg::OnChangeName(const QString& text) {
    m_strNewName = text;
    m_ok->setEnabled(!m_strNewName.isEmpty());
}

}  // namespace orv
