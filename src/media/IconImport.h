// Icons on their way to the device: the encoded image block, the icon import
// file, and the icon names.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "media/IconBitmap.h"
#include "media/ImportFiles.h"

namespace orv {

constexpr int kMaxIconNameLength = 8;
constexpr size_t kIconBlockHeaderSize = 18;

// The icon image block of a converted 74 x 62 picture: an 18-byte header
// ("KW", the pixel offset 18, width, height, pixel data length, little-endian)
// and the rows in storage order, RLE8-encoded. Empty (and an internal error)
// when the picture is not 74 x 62.
std::vector<uint8_t> EncodeIconImage(const IconBitmap& bitmap);

// Appends one icon to the icon import file: a header record with the name,
// then the block in numbered pieces of 32 bytes. A file that cannot be opened
// fails with message 32791, a failed write with its file-error text; either
// leaves the file as it was, so it never holds half an icon.
Outcome AppendIconRecords(std::string_view name, const std::vector<uint8_t>& block,
                          const std::string& path = kIconImportFileName);

// The name a picture file suggests: its base name cut to 8 characters and
// before the first character that may not stand in a name.
std::string DefaultIconName(std::string_view path);

// The label above the name field: "Icon &Name for " and the file's name.
std::string IconNameLabel(std::string_view path);

// 0 when name may be used, else the message of the first rule it breaks:
// 32789 (empty), 32796 (not starting with a letter), 32788 (a character other
// than a letter, a digit, '-' or '_').
int CheckIconName(std::string_view name);

}  // namespace orv
