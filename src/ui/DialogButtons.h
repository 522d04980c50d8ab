// The OK and Cancel buttons of the program's dialogs.
#pragma once

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>

namespace orv {

struct OkCancelButtons {
    QDialogButtonBox* box;
    QPushButton* ok;
    QPushButton* cancel;
};

// OK (ID 1, the default button, accepts) and Cancel (ID 2, rejects).
OkCancelButtons MakeOkCancelButtons(QDialog* dialog);

}  // namespace orv
