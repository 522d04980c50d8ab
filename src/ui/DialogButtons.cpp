#include "ui/DialogButtons.h"
#include "ui/ControlIds.h"

#include "core/StringTable.h"
#include "ui/QtText.h"

namespace orv {

OkCancelButtons MakeOkCancelButtons(QDialog* dialog) {
    auto* box = new QDialogButtonBox(Qt::Horizontal, dialog);
    QPushButton* ok = box->addButton(LoadQString(IDS_BUTTON_OK), QDialogButtonBox::AcceptRole);
    QPushButton* cancel =
        box->addButton(LoadQString(IDS_BUTTON_CANCEL), QDialogButtonBox::RejectRole);
    ok->setObjectName(ControlName(IDC_OK));
    cancel->setObjectName(ControlName(IDC_CANCEL));
    ok->setDefault(true);
    QObject::connect(box, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return {box, ok, cancel};
}

}  // namespace orv
