// What the keyboard overlay editor asks of the document it edits.
#pragma once

#include <QString>

#include "overlay/OverlayCells.h"

namespace orv {

class COverlayEditorDoc {
public:
    virtual OverlayCells& Cells() = 0;
    virtual const QString& PathName() const = 0;
    virtual void SetModifiedFlag(bool modified) = 0;
    // Empties every cell of the overlay.
    virtual void DeleteContents() = 0;
    // Replaces the overlay with the file's; false (the user has been told)
    // when it could not be read.
    virtual bool ReadOverlay(const QString& path) = 0;
    // Writes the overlay; false (the user has been told) when it could not.
    virtual bool OnSaveDocument(const QString& path) = 0;
    // Takes the editor's cells and offers to save them when modified; false
    // when the text does not fit or the user stopped.
    virtual bool SaveOverlayEdits() = 0;
    // Shows the main form (kMainViewId) or the editor (kKeyboardViewId).
    virtual void SwitchView(int viewId) = 0;
    // Pane 0 of the main window's status bar.
    virtual void SetStatusText(const QString& text) = 0;

protected:
    ~COverlayEditorDoc() = default;
};

}  // namespace orv
