// The icon and sound import flows of the main frame.
#include "frame/MainFrm.h"

namespace orv {

// The icon import flow (choose bitmaps, convert, name them, write the import
// file) replaces this body; until it exists the command is refused as a
// cancelled choice, so a device that asks for icons is told "cancelled".
bool CMainFrame::OnImportIcons() {
    return false;
}

// The sound import flow replaces this body in the same way.
bool CMainFrame::OnImportSound() {
    return false;
}

}  // namespace orv
