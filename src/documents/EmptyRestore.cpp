#include "documents/EmptyRestore.h"

#include "core/StringTable.h"
#include "documents/YesNoDlg.h"
#include "engine/TransferFile.h"
#include "ui/QtText.h"

namespace orv {

bool ConfirmRestoreFrom(const QString& path, QWidget* parent) {
    if (!IsEmptyFile(StdStr(path))) {
        return true;
    }
    CYesNoDlg ask(FormatQString(IDM_RESTORE_EMPTY_QUESTION, path), parent);
    return ask.exec() == CYesNoDlg::IDYES;
}

}  // namespace orv
