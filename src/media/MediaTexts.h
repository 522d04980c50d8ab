// Numbers of the media import's own texts in the string table.
#pragma once

namespace orv {

enum MediaStringId : int {
    IDM_MEDIA_OPEN_FAILED = 40000,  // "Error opening file %1."
    IDM_BITMAP_NO_SIZE = 40200,
    IDM_BITMAP_TOO_LARGE = 40201,
    IDM_BITMAP_TOO_MANY_COLOURS = 40202,
    IDM_BITMAP_TRUNCATED = 40203,
    IDM_BITMAP_COMPRESSION = 40204,
    IDM_BITMAP_TOP_DOWN_RLE = 40205,
    IDM_ICON_NAME_TOO_LONG = 40206,
    IDS_ICON_PROPERTIES_TITLE = 40210,
    IDS_ICON_KEEP_ASPECT = 40211,
    IDS_ICON_PREVIEW_GROUP = 40212,
};

}  // namespace orv
