// The document's keyboard overlay: reading, writing, the save prompt and the
// Edit keyboard overlay command.
#include <fcntl.h>
#include <unistd.h>

#include <QFileDialog>
#include <QFileInfo>

#include "core/Errors.h"
#include "core/Globals.h"
#include "core/Messages.h"
#include "core/StringTable.h"
#include "documents/DocumentFrame.h"
#include "documents/ORVDoc.h"
#include "documents/ORVFileDlg.h"
#include "overlay/OverlayFile.h"
#include "overlay/OverlayStrings.h"
#include "overlayui/KeyboardView.h"
#include "ui/CommandIds.h"
#include "ui/MessageBox.h"
#include "ui/QtText.h"
#include "ui/WaitCursor.h"

namespace orv {

namespace {

// Makes an empty file for a save under a new name; false (after the standard
// file-error message) when it cannot be made.
bool CreateEmptyFile(const QString& path) {
    std::string name = StdStr(path);
    int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) {
        ReportFileError(FileError::FromErrno(errno, name));
        return false;
    }
    ::close(fd);
    return true;
}

}  // namespace

bool CORVDoc::ReadOverlay(const QString& path) {
    WaitCursor wait;
    OverlayFileResult result = ReadOverlayFile(StdStr(path), m_cells);
    if (!result.ok) {
        return false;
    }
    SetMainTitle(OverlayWindowTitle(g_Globals.MainTitle, result.fileName));
    ShowStatusMessage(IDM_OVERLAY_OPENED, result.fileName);
    SetModifiedFlag(false);
    SetPathName(path);
    g_Globals.LastFilePath = StdStr(m_strPathName);
    return true;
}

bool CORVDoc::OnSaveDocument(const QString& path) {
    ORV_CHECK(g_Globals.CurrentViewId == kKeyboardViewId);
    OverlayFileResult result = WriteOverlayFile(StdStr(path), m_cells);
    if (!result.ok) {
        return false;
    }
    ShowStatusMessage(IDM_OVERLAY_SAVED, result.fileName);
    SetModifiedFlag(false);
    SetPathName(path);
    g_Globals.LastFilePath = StdStr(m_strPathName);
    return true;
}

QString CORVDoc::AskSaveAsName() const {
    QString filter = LoadQString(IDS_ORV_FILTER);
    QFileDialog dlg(DialogParent(), LoadQString(IDS_SAVE_AS_TITLE));
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    dlg.setNameFilters(NameFiltersFromTable(filter));
    dlg.setDefaultSuffix(DefaultExtensionFromTable(filter));
    QFileInfo current(m_strPathName);
    if (current.dir().exists()) {
        dlg.setDirectory(current.absolutePath());
    }
    dlg.selectFile(current.fileName());
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) {
        return QString();
    }
    return dlg.selectedFiles().constFirst();
}

bool CORVDoc::SaveModified() {
    if (!IsModified()) {
        return true;
    }
    QMessageBox::StandardButton answer =
        ShowMessageBox(FormatQString(IDM_SAVE_CHANGES, m_strPathName), QMessageBox::Question,
                       QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (answer == QMessageBox::No) {
        return true;
    }
    if (answer != QMessageBox::Yes) {
        return false;
    }
    QString path = m_strPathName;
    QFileInfo info(path);
    bool created = false;
    if (path.isEmpty() || !info.exists() || !info.isWritable()) {
        path = AskSaveAsName();
        if (path.isEmpty()) {
            return false;
        }
        // The writer only writes over existing files; a new name the user
        // chose is made for it.
        if (!QFileInfo::exists(path)) {
            if (!CreateEmptyFile(path)) {
                return false;
            }
            created = true;
        }
    }
    if (OnSaveDocument(path)) {
        return true;
    }
    if (created) {
        QFile::remove(path);
    }
    return false;
}

bool CORVDoc::SaveOverlayEdits() {
    if (!IsModified()) {
        return true;
    }
    CKeyboardView* view = KeyboardView();
    if (g_Globals.CurrentViewId == kKeyboardViewId && view && !view->UpdateData(true)) {
        return false;
    }
    return SaveModified();
}

bool CORVDoc::OpenOverlay(const QString& path) {
    if (!ReadOverlay(path)) {
        return false;
    }
    if (g_Globals.CurrentViewId != kKeyboardViewId) {
        SwitchView(kKeyboardViewId);
    }
    CKeyboardView* view = KeyboardView();
    if (!ORV_CHECK(view)) {
        return false;
    }
    view->UpdateData(false);
    return true;
}

void CORVDoc::OnEditKeyboardOverlay() {
    if (g_Globals.CurrentViewId == kKeyboardViewId && !SaveOverlayEdits()) {
        return;
    }
    CORVFileDlg dlg(CORVFileDlg::Kind::Open, m_engine, DialogParent());
    if (dlg.RunForCommand(ID_EDIT_OVERLAY) != 1) {
        return;
    }
    OpenOverlay(dlg.PathName());
}

}  // namespace orv
