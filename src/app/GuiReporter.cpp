#include "app/GuiReporter.h"

#include "ui/MessageBox.h"
#include "ui/QtText.h"
#include "ui/UiThread.h"

namespace orv {

void CGuiReporter::ShowMessage(const std::string& text, MessageIcon icon) {
    RunOnUiThread([&] { ShowMessageBox(QStr(text), QtIcon(icon)); });
}

}  // namespace orv
