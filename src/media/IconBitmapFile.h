// A converted icon as an ordinary 8-bit bitmap file, so that it can be looked
// at with any picture viewer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "media/IconBitmap.h"

namespace orv {

// The file's bytes: headers, the device colour table, then 62 bottom-up rows
// of 76 bytes (74 palette indices and two zero bytes). Empty (and an internal
// error) when the picture is not 74 x 62.
std::vector<uint8_t> IconBitmapFileBytes(const IconBitmap& bitmap);

// Writes those bytes to path; a failure carries the file error with the
// file's name.
Outcome WriteIconBitmapFile(const IconBitmap& bitmap, const std::string& path);

}  // namespace orv
