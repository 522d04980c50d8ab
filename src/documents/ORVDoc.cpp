#include "documents/ORVDoc.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include <QDir>
#include <QFileInfo>

#include "core/Errors.h"
#include "core/Globals.h"
#include "core/Messages.h"
#include "core/RegularFile.h"
#include "core/StringTable.h"
#include "documents/DocumentFrame.h"
#include "documents/EmptyRestore.h"
#include "documents/FileActions.h"
#include "documents/NewNameDlg.h"
#include "documents/ORVFileDlg.h"
#include "documents/ORVView.h"
#include "documents/OpenActionDlg.h"
#include "documents/RecentFiles.h"
#include "engine/Serial.h"
#include "overlayui/KeyboardView.h"
#include "ui/CommandIds.h"
#include "ui/MessageBox.h"
#include "ui/QtText.h"

namespace orv {

CORVDoc::CORVDoc(CORVSerialPort& engine, CRecentFiles& recentFiles)
    : m_engine(engine), m_recentFiles(recentFiles) {}

CORVDoc::~CORVDoc() = default;

QWidget* CORVDoc::DialogParent() const {
    return m_frame ? m_frame->Window() : nullptr;
}

void CORVDoc::DeleteContents() {
    m_cells.Clear();
}

void CORVDoc::SetPathName(const QString& path) {
    m_strPathName = QFileInfo(path).absoluteFilePath();
    m_recentFiles.Add(m_strPathName);
    if (m_frame) {
        m_frame->RebuildRecentFileMenu();
    }
}

bool CORVDoc::OnOpenDocument(const QString& path) {
    // A file handed over while an overlay is being edited: the edits are
    // offered for saving first.
    if (g_Globals.CurrentViewId == kKeyboardViewId && !SaveOverlayEdits()) {
        return false;
    }
    try {
        ::close(OpenRegularFile(StdStr(path), O_RDONLY));
    } catch (const FileError& error) {
        ReportFileError(error);
        return false;
    }
    // The editor closes: its Save would otherwise write the overlay into the
    // file just handed over.
    if (g_Globals.CurrentViewId == kKeyboardViewId) {
        SwitchView(kMainViewId);
    }
    DeleteContents();
    SetModifiedFlag(false);
    SetPathName(path);
    return true;
}

void CORVDoc::SetMainView(CORVView* view) {
    m_mainView = view;
}

CORVView* CORVDoc::MainView() const {
    return m_mainView;
}

CKeyboardView* CORVDoc::KeyboardView() const {
    return m_keyboardView;
}

void CORVDoc::SwitchView(int viewId) {
    if (!m_frame) {
        ORV_INTERNAL_ERROR();
        return;
    }
    QWidget* shown = m_frame->ActiveView();
    QWidget* next = nullptr;
    if (viewId == kKeyboardViewId) {
        ORV_CHECK(shown == m_mainView);
        if (!m_keyboardView) {
            if (auto* main = qobject_cast<CORVView*>(shown)) {
                m_mainView = main;
            }
            m_keyboardView = new CKeyboardView(*this, m_frame->Views());
        }
        next = m_keyboardView;
    } else {
        ORV_CHECK(shown == m_keyboardView && m_mainView);
        if (!m_mainView) {
            return;
        }
        // Unsaved edits are dropped without a question.
        SetModifiedFlag(false);
        next = m_mainView;
    }
    m_frame->SetActiveView(next);
    g_Globals.CurrentViewId = viewId;
    if (next == m_mainView) {
        m_mainView->OnActivateView();
    }
    // The device items follow the view shown.
    m_frame->UpdateCommandUI();
}

void CORVDoc::OnDeleteFile() {
    CORVFileDlg dlg(CORVFileDlg::Kind::Open, m_engine, DialogParent());
    if (dlg.RunForCommand(ID_DELETE_FILE) != 1) {
        return;
    }
    const QStringList files = dlg.PathNames();
    if (files.isEmpty()) {
        ORV_INTERNAL_ERROR();
    }
    QString caption;
    QString question;
    if (files.size() == 1) {
        caption = LoadQString(IDS_CONFIRM_DELETE);
        question = FormatQString(IDM_DELETE_ONE, QFileInfo(files[0]).fileName());
    } else {
        caption = LoadQString(IDS_CONFIRM_MULTI_DELETE);
        question = FormatQString(IDM_DELETE_MANY, QString::number(files.size()));
    }
    if (ShowMessageBox(question, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
                       QMessageBox::Yes, caption) != QMessageBox::Yes) {
        return;
    }
    unsigned deleted = 0;
    for (const QString& file : files) {
        if (std::optional<FileError> error = RemoveFile(StdStr(file))) {
            ReportFileError(*error);
        } else {
            ++deleted;
        }
    }
    if (files.size() == 1 && deleted == 1) {
        ShowStatusMessage(IDM_DELETED_ONE, StdStr(QFileInfo(files[0]).fileName()));
    } else {
        ShowStatusMessage(IDM_DELETED_COUNT, std::to_string(deleted));
    }
}

void CORVDoc::OnRenameFile() {
    CORVFileDlg dlg(CORVFileDlg::Kind::Open, m_engine, DialogParent());
    if (dlg.RunForCommand(ID_RENAME_FILE) != 1) {
        return;
    }
    QString from = dlg.PathName();
    CNewNameDlg nameDlg(DialogParent());
    if (nameDlg.exec() != QDialog::Accepted) {
        return;
    }
    QString newName = nameDlg.NewName();
    // A name without a folder stays in the chosen file's folder.
    QString to = QDir(QFileInfo(from).absolutePath()).filePath(newName);
    if (std::optional<FileError> error = RenameFile(StdStr(from), StdStr(to))) {
        if (error->OsError() == EEXIST) {
            ShowMessageBox(FormatQString(IDM_RENAME_NAME_TAKEN, newName), QMessageBox::Warning);
        } else {
            ReportFileError(*error);
        }
        ShowStatusMessage(IDM_RENAME_FAILED);
        return;
    }
    ShowStatusText(FormatString(IDM_RENAMED, StdStr(QFileInfo(from).fileName()), StdStr(newName)));
}

bool CORVDoc::OnOpenRecentFile(int commandId) {
    int index = commandId - ID_FILE_MRU_FIRST;
    if (index < 0 || index >= m_recentFiles.Size()) {
        ORV_INTERNAL_ERROR();
        return false;
    }
    QString path = m_recentFiles.Entry(index);
    if (path.isEmpty()) {
        ORV_INTERNAL_ERROR();
        return false;
    }
    return OnOpenWithAction(path);
}

bool CORVDoc::OnOpenWithAction(const QString& path) {
    COpenActionDlg dlg(path, DialogParent());
    if (dlg.exec() != QDialog::Accepted) {
        return false;
    }
    ORV_CHECK(m_frame);
    switch (dlg.ChosenAction()) {
        case IDC_ACTION_SAVE:
        case IDC_ACTION_RESTORE:
            if (dlg.ChosenAction() == IDC_ACTION_RESTORE &&
                !ConfirmRestoreFrom(path, DialogParent())) {
                return false;
            }
            // A recent file is most often a backup: a save into it is asked
            // for once more, with No as the answer to a hasty Enter.
            if (dlg.ChosenAction() == IDC_ACTION_SAVE && QFileInfo::exists(path) &&
                ShowMessageBox(FormatQString(IDM_REPLACE_BACKUP_QUESTION, path),
                               QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::No) != QMessageBox::Yes) {
                return false;
            }
            m_engine.ArmTransfer(StdStr(path),
                                 dlg.ChosenAction() == IDC_ACTION_SAVE ? Save : Restore);
            if (m_frame) {
                m_frame->ShowArmedTransfer();
            }
            break;
        case IDC_ACTION_OVERLAY:
            OpenOverlay(path);
            break;
        default:
            ORV_INTERNAL_ERROR();
            break;
    }
    return true;
}

}  // namespace orv
