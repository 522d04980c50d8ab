// Any picture to a device icon. 8-bit bitmaps go through the bitmap loader
// and its conversion as they always have; every other picture Qt's image
// readers know (PNG, JPEG, GIF, BMP of any depth and header, WebP, TIFF, ...)
// is decoded here, upright by its EXIF orientation and on white where it is
// transparent, and handed to the Qt-free colour and fitting code.
#pragma once

#include <optional>
#include <string>

#include "media/IconBitmap.h"
#include "media/IconFit.h"

namespace orv {

struct IconChoices {
    IconFitting fitting = IconFitting::KeepAspect;
    // Unset: dither pictures of more than 256 colours, and no others.
    std::optional<bool> dither;
};

// What a load found out, for the Icon Properties window's defaults.
struct PictureFacts {
    bool manyColours = false;  // more than 256 colours
    bool dithered = false;
};

// Loads path, converts it and fits it to 74 x 62 as choices say. A failure
// carries the message saying why, with the file's name, and leaves the bitmap
// empty: a file no reader knows gets a message naming the formats that are
// read, a damaged one a message of its own, an 8-bit bitmap the bitmap
// loader's.
Outcome LoadPictureIcon(const std::string& path, const IconChoices& choices, IconBitmap& bitmap,
                        PictureFacts* facts = nullptr);

// The formats named to the user, as "BMP, GIF, JPEG, PNG, TIFF and WebP":
// those of the common ones that a reader is installed for.
std::string ReadablePictureFormats();

// The file name patterns of the pictures that can be read, for file choosers
// ("*.bmp *.gif *.jpeg *.jpg ...").
std::string PicturePatterns();

}  // namespace orv
