// The program's numbered texts. Every text the user sees is looked up here by number.
#pragma once

#include <string>
#include <string_view>

namespace orv {

// Numbers of texts that the code refers to by name.
enum StringId : int {
    IDS_ORV_FILTER = 130,
    IDS_OPEN_OVERLAY_TITLE = 131,
    IDM_BAD_OVERLAY_FILE = 132,
    IDM_INVALID_CHARACTER = 133,
    IDS_SAVE_TITLE = 135,
    IDS_RESTORE_TITLE = 136,
    IDM_OVERLAY_OPENED = 137,
    IDS_DELETE_TITLE = 138,
    IDS_CONFIRM_DELETE = 139,
    IDS_CONFIRM_MULTI_DELETE = 140,
    IDM_DELETE_ONE = 141,
    IDM_DELETE_MANY = 142,
    IDM_DELETED_ONE = 143,
    IDM_DELETED_COUNT = 144,
    IDM_OVERLAY_CLEARED = 146,
    IDM_OVERLAY_SAVED = 147,
    IDS_DELETE_BUTTON = 148,
    IDS_RESTORE_BUTTON = 149,
    IDM_NO_RESOURCES = 150,
    IDM_CANNOT_OPEN_PORT = 151,
    IDS_APP_SHORT_NAME = 152,
    IDM_DISK_FULL = 153,
    IDM_CANNOT_CONTINUE = 154,
    IDM_TRANSFER_IN_PROGRESS = 155,
    IDM_TRANSFER_COMPLETED = 156,
    IDM_TRANSFER_ABORTED = 157,
    IDM_COMM_ERROR = 158,
    IDM_COMM_TIMEOUT = 159,
    IDM_INVALID_RECORD = 160,
    IDM_INSERT_CONTINUATION = 162,
    IDM_TRANSFER_DIRECTION = 163,
    IDS_DISK = 164,
    IDM_HALTED_BY_DEVICE = 165,
    IDM_TRANSFER_CANCELLED = 166,
    IDM_CANCEL_SAVE_QUESTION = 167,
    IDM_CANCEL_RESTORE_QUESTION = 168,
    IDM_REINSERT_FIRST = 169,
    IDS_RENAME_TITLE = 170,
    IDS_RENAME_BUTTON = 171,
    IDM_RENAME_FAILED = 172,
    IDM_RENAMED = 173,
    IDM_INCOMPLETE_NAME = 179,
    IDS_INSTRUCTIONS_FIRST = 500,
    IDS_MODEL_NAME_FIRST = 600,
    IDS_ICON_NAME_INVALID = 32788,
    IDS_ICON_NAME_EMPTY = 32789,
    IDS_ICON_NAME_LABEL = 32790,
    IDS_ICON_FILE_OPEN_ERROR = 32791,
    IDS_NOT_256_COLOURS = 32792,
    IDS_BITMAP_FILTER = 32794,
    IDS_BITMAP_CHOOSER_TITLE = 32795,
    IDS_ICON_NAME_NOT_ALPHA = 32796,
    IDM_INTERNAL_ERROR = 32797,
    IDS_TEXT_FILTER = 32798,
    IDS_SOUND_FILTER = 32799,
    IDS_SOUND_CHOOSER_TITLE = 32800,
    IDS_SOUND_FILE_OPEN_ERROR = 32801,
    IDS_SOUND_TOO_BIG = 32802,
    IDS_APP_NAME = 57344,
    IDS_OUT_OF_MEMORY = 61475,
    IDM_SAVE_CHANGES = 61699,
    IDM_TOO_MANY_CHARACTERS = 61716,
    // Standard file-error texts, one per cause; %1 is the file name.
    IDM_FILE_ERROR_GENERIC = 61856,
    IDM_FILE_NOT_FOUND = 61857,
    IDM_FILE_BAD_PATH = 61858,
    IDM_FILE_TOO_MANY_OPEN = 61859,
    IDM_FILE_ACCESS_DENIED = 61860,
    IDM_FILE_INVALID = 61861,
    IDM_FILE_SHARING_VIOLATION = 61865,
    IDM_FILE_DISK_FULL = 61867,
    IDM_FILE_END_OF_FILE = 61868,
    // The engine's own texts.
    IDM_PORT_NOT_FOUND = 40001,
    IDM_PORT_IN_USE = 40002,
    IDM_PORT_NO_PERMISSION = 40003,
    IDM_PORT_NOT_SERIAL = 40004,
    IDM_PORT_IS_CONSOLE = 40005,
    IDM_PORT_BAD_RATE = 40006,
    IDM_PORT_SETUP_FAILED = 40007,
    IDM_INCOMPLETE_NOT_RENAMED = 40008,
};

// The text with this number, or an empty text when there is none.
std::string LoadString(int id);

// Whether the table holds a text with this number.
bool HasString(int id);

// Replaces every %1 with first and every %2 with second, by plain insertion.
std::string InsertArgs(std::string_view text, std::string_view first, std::string_view second = {});

// LoadString(id) with %1 and %2 filled in.
std::string FormatString(int id, std::string_view first, std::string_view second = {});

}  // namespace orv
