// Numbers of the dialogs and of their controls. A widget's object name is its
// number (ControlName), so tests and accessibility tools find it by name.
#pragma once

#include <QString>

namespace orv {

enum ControlId : int {
    // The standard buttons of every dialog.
    IDC_OK = 1,
    IDC_CANCEL = 2,
    IDC_YES = 6,
    IDC_NO = 7,

    // Dialogs and pictures. The two views are kMainViewId and kKeyboardViewId.
    IDD_ABOUTBOX = 100,
    IDD_OPTIONS = 136,
    IDD_OPEN_ACTION = 137,
    IDD_TRANSFER = 141,
    IDC_OVERLAY_PICTURE = 145,
    IDD_NEW_NAME = 152,
    IDD_ICON_PROPERTIES = 153,
    IDD_YES_NO = 154,

    // About: memory and resources.
    IDC_ABOUT_MEMORY = 1001,
    IDC_ABOUT_RESOURCES = 1002,
    // Options: port list, "use the default rate", rate list.
    IDC_PORT_LIST = 1001,
    IDC_USE_DEFAULT_RATE = 1002,
    IDC_RATE_LIST = 1003,
    // The main form's instructions.
    IDC_INSTRUCTIONS = 1004,
    // The progress dialog.
    IDC_TRANSFER_BAR = 1005,
    IDC_TRANSFER_DIRECTION = 1053,
    IDC_TRANSFER_FILE = 1054,
    IDC_TRANSFER_BYTES = 1055,
    IDC_TRANSFER_STATUS = 1056,
    IDC_TRANSFER_RATE = 1057,
    IDC_TRANSFER_RATE_CAPTION = 1071,
    // The overlay editor: cell k is IDC_CELL_FIRST + k, and its buttons.
    IDC_CELL_FIRST = 1009,
    IDC_CLEAR_ALL = 1041,
    IDC_CLOSE_FILE = 1043,
    IDC_RELOAD = 1044,
    IDC_CANCEL_EDIT = 1057,
    // The choices for a recent file.
    IDC_ACTION_SAVE = 1045,
    IDC_ACTION_RESTORE = 1046,
    IDC_ACTION_OVERLAY = 1047,
    // The new name of Rename.
    IDC_NEW_NAME = 1058,
    // Icon Properties: label, its caption, "keep the aspect ratio", preview.
    IDC_ICON_LABEL = 1059,
    IDC_ICON_LABEL_CAPTION = 1060,
    IDC_KEEP_ASPECT = 1066,
    IDC_ICON_PREVIEW = 1068,
    // The question of the Yes/No dialog.
    IDC_QUESTION = 1070,
};

// The object name of the widget with this number.
inline QString ControlName(int id) {
    return QString::number(id);
}

}  // namespace orv
