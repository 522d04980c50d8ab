// Command numbers of the menu, the toolbar and the accelerators.
#pragma once

namespace orv {

enum CommandId : int {
    ID_EDIT_OVERLAY = 32770,
    ID_DEVICE_FIRST = 32771,  // one per model, in model-index order
    ID_DEVICE_LAST = 32780,
    ID_DELETE_FILE = 32781,
    ID_SAVE_MEMORY = 32782,
    ID_RESTORE_MEMORY = 32783,
    ID_RENAME_FILE = 32784,
    ID_PORT_SETTINGS = 32785,
    ID_IMPORT_ICONS = 32786,
    ID_FILE_SAVE = 57603,  // Save in the overlay editor
    ID_FILE_MRU_FIRST = 57616,
    ID_FILE_MRU_LAST = 57631,
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
    ID_HELP_FINDER = 57667,
    ID_CONTEXT_HELP = 57669,
    ID_HELP = 57670,
};

}  // namespace orv
