// The one document: its file path, the switch between the main form and the
// overlay editor, and the file commands of the File menu.
#pragma once

#include <QObject>
#include <QString>

#include "documents/OverlayEditing.h"

namespace orv {

class CMainFrame;
class CRecentFileList;

class CORVDoc : public QObject {
    Q_OBJECT
public:
    explicit CORVDoc(CRecentFileList& recentFiles);
    ~CORVDoc() override;

    void SetFrame(CMainFrame* frame) { m_frame = frame; }

    bool IsModified() const { return m_bModified; }
    void SetModifiedFlag(bool modified = true) { m_bModified = modified; }
    void DeleteContents();

    const QString& PathName() const { return m_strPathName; }
    // Makes path the document's file and puts it first in the recent files.
    void SetPathName(const QString& path);

    // A file handed over on the command line: it must be readable; the
    // document is cleared and takes the file's path. False (after the
    // standard file-error message) when the file cannot be read.
    bool OnOpenDocument(const QString& path);

    // Shows the main form (101) or the overlay editor (140) in the frame.
    void SwitchView(int viewId);

    // The keyboard overlay editor; without one the overlay commands report an
    // internal error.
    void SetOverlayEditing(COverlayEditing* editing) { m_overlay = editing; }
    QWidget* KeyboardView() const { return m_keyboardView; }

    // Reads path into the overlay editor and shows it.
    bool OpenOverlay(const QString& path);

    // File menu commands.
    void OnEditKeyboardOverlay();
    void OnDeleteFile();
    void OnRenameFile();
    // A file picked from the recent-file list; false when the user cancelled.
    bool OnOpenRecentFile(int commandId);

private:
    CRecentFileList& m_recentFiles;
    CMainFrame* m_frame = nullptr;
    COverlayEditing* m_overlay = nullptr;
    QWidget* m_keyboardView = nullptr;
    QString m_strPathName;
    bool m_bModified = false;
};

}  // namespace orv
