#include <algorithm>
#include <array>

#include "media/IconBitmap.h"
#include "media/IconFit.h"

namespace orv {

void ConvertToDevicePalette(IconBitmap& bitmap) {
    // Device index for every possible pixel value; values beyond the file's
    // colours have no colour of their own and show black.
    std::array<uint8_t, kPaletteSize> deviceIndex{};
    const int count = std::min(bitmap.colourCount, kPaletteSize);
    for (int i = 0; i < count; ++i) {
        RgbQuad& entry = bitmap.colourTable[i];
        entry.reserved = DeviceIndexForColour({entry.red, entry.green, entry.blue});
        deviceIndex[i] = entry.reserved;
    }
    for (uint8_t& pixel : bitmap.pixels) {
        pixel = deviceIndex[pixel];
    }
    bitmap.colourTable = DeviceColourTable();
    bitmap.colourCount = kPaletteSize;
}

Outcome LoadAndConvertIcon(const std::string& path, bool keepAspect, IconBitmap& bitmap) {
    bitmap.Clear();
    Outcome outcome = LoadIconBitmap(path, bitmap);
    if (outcome.Ok()) {
        ConvertToDevicePalette(bitmap);
        FitToIconSize(bitmap, keepAspect);
    }
    return outcome;
}

}  // namespace orv
