// The one document: the keyboard overlay and its file path, the switch
// between the main form and the overlay editor, and the file commands of the
// File menu.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include "overlay/OverlayCells.h"
#include "overlayui/OverlayEditorDoc.h"

namespace orv {

class CDocumentFrame;
class CKeyboardView;
class CORVView;
class CORVSerialPort;
class CRecentFiles;

class CORVDoc : public QObject, public COverlayEditorDoc {
    Q_OBJECT
public:
    // engine: armed by the recent-file commands; its format chooses the
    // choosers' filters.
    CORVDoc(CORVSerialPort& engine, CRecentFiles& recentFiles);
    ~CORVDoc() override;

    void SetFrame(CDocumentFrame* frame) { m_frame = frame; }

    bool IsModified() const { return m_bModified; }
    void SetModifiedFlag(bool modified = true) override { m_bModified = modified; }
    // Empties every cell of the overlay.
    void DeleteContents() override;

    // The overlay's 32 cells.
    OverlayCells& Cells() override { return m_cells; }

    const QString& PathName() const override { return m_strPathName; }
    // Makes path the document's file and puts it first in the recent files.
    void SetPathName(const QString& path);

    // A file handed over on the command line: it must be readable; the
    // document is cleared and takes the file's path. False (after the
    // standard file-error message) when the file cannot be read.
    bool OnOpenDocument(const QString& path);

    // Shows the main form (101) or the overlay editor (140) in the frame.
    void SwitchView(int viewId) override;
    // The document's views while they exist: the main form, which its creator
    // hands over, and the overlay editor, made when first shown.
    void SetMainView(CORVView* view);
    CORVView* MainView() const;
    CKeyboardView* KeyboardView() const;

    // Replaces the overlay with the file's. False when it could not be read
    // (the user has been told; the cells then hold what was read before the
    // fault).
    bool ReadOverlay(const QString& path) override;
    // Writes the overlay over the start of an existing file. False when it
    // could not be written (the user has been told).
    bool OnSaveDocument(const QString& path) override;
    // "Save changes to %1?" when the overlay is modified: Yes saves (asking for
    // a new name when the file is gone or read-only), No goes on. False for
    // Cancel or a failed save.
    bool SaveModified();
    // While the editor is shown: copies its cells into the overlay and, when
    // modified, asks SaveModified. False when the text does not fit or the
    // user stopped.
    bool SaveOverlayEdits() override;
    // Reads path into the overlay editor and shows it.
    bool OpenOverlay(const QString& path);

    // File menu commands.
    void OnEditKeyboardOverlay();
    void OnDeleteFile();
    void OnRenameFile();
    // A file picked from the recent-file list; false when the user cancelled.
    bool OnOpenRecentFile(int commandId);
    // Offers the actions for a memory file as for a recent one (save to it,
    // restore from it, edit it as an overlay); false when the user cancelled.
    bool OnOpenWithAction(const QString& path);

private:
    CORVSerialPort& m_engine;
    CRecentFiles& m_recentFiles;
    // The name to save under when the document's file is gone or read-only;
    // empty when the user cancelled.
    QString AskSaveAsName() const;
    QWidget* DialogParent() const;

    CDocumentFrame* m_frame = nullptr;
    QPointer<CORVView> m_mainView;
    QPointer<CKeyboardView> m_keyboardView;
    OverlayCells m_cells;
    QString m_strPathName;
    bool m_bModified = false;
};

}  // namespace orv
