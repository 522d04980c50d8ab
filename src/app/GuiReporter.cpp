#include "app/GuiReporter.h"

#include "ui/MessageBox.h"
#include "ui/QtText.h"
#include "ui/UiThread.h"

namespace orv {

void CGuiReporter::ShowMessage(const std::string& text, MessageIcon icon) {
    RunOnUiThread([&] { ShowMessageBox(QStr(text), QtIcon(icon)); });
}

bool CGuiReporter::AskOkCancel(const std::string& text, MessageIcon icon) {
    bool ok = false;
    RunOnUiThread([&] {
        ok = ShowMessageBox(QStr(text), QtIcon(icon), QMessageBox::Ok | QMessageBox::Cancel,
                            QMessageBox::Ok) == QMessageBox::Ok;
    });
    return ok;
}

}  // namespace orv
