#include "documents/OpenActionDlg.h"

#include <QFileInfo>
#include <QLabel>
#include <QVBoxLayout>

#include "core/Catalogue.h"
#include "core/Globals.h"
#include "core/StringTable.h"
#include "ui/ControlIds.h"
#include "ui/DialogButtons.h"
#include "ui/QtText.h"

namespace orv {

COpenActionDlg::COpenActionDlg(const QString& path, QWidget* parent) : QDialog(parent) {
    setObjectName(ControlName(IDD_OPEN_ACTION));
    setWindowTitle(LoadQString(IDS_ACTION_CAPTION) + QFileInfo(path).fileName());

    auto* layout = new QVBoxLayout(this);
    const int texts[3] = {IDS_ACTION_SAVE, IDS_ACTION_RESTORE, IDS_ACTION_OVERLAY};
    for (int i = 0; i < 3; ++i) {
        m_choices[i] = new QRadioButton(LoadQString(texts[i]), this);
        m_choices[i]->setObjectName(ControlName(IDC_ACTION_SAVE + i));
        layout->addWidget(m_choices[i]);
    }
    m_choices[0]->setChecked(true);
    m_choices[2]->setEnabled(g_Globals.ModelId == kModelPelliro);

    auto* prompt = new QLabel(LoadQString(IDS_ACTION_PROMPT), this);
    prompt->setWordWrap(true);
    layout->addSpacing(8);
    layout->addWidget(prompt);
    layout->addWidget(MakeOkCancelButtons(this).box);
    setMinimumWidth(360);
}

QRadioButton* COpenActionDlg::Choice(int id) const {
    int i = id - IDC_ACTION_SAVE;
    return i >= 0 && i < 3 ? m_choices[i] : nullptr;
}

void COpenActionDlg::accept() {
    m_nAction = 0;
    for (int i = 0; i < 3; ++i) {
        if (m_choices[i]->isChecked()) {
            m_nAction = IDC_ACTION_SAVE + i;
        }
    }
    QDialog::accept();
}

}  // namespace orv
