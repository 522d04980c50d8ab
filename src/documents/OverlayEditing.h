// What the document needs from the keyboard overlay editor. The editor
// installs itself with CORVDoc::SetOverlayEditing.
#pragma once

#include <QString>

class QWidget;

namespace orv {

class COverlayEditing {
public:
    virtual ~COverlayEditing() = default;

    // The editor's page, created once, the first time an overlay is opened.
    virtual QWidget* CreateView(QWidget* parent) = 0;
    // Empties every cell of the overlay held by the document.
    virtual void DeleteContents() = 0;
    // Before another file replaces an overlay with unsaved edits: copies the
    // editor into the document and offers to save it. False stops the command.
    virtual bool SaveModified() = 0;
    // Reads the file into the document; false when it could not be read (the
    // reader has told the user).
    virtual bool ReadOverlay(const QString& path) = 0;
    // Fills the editor's cells from the document.
    virtual void LoadView() = 0;
};

}  // namespace orv
