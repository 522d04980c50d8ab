// Pictures of any number of colours on their way to the device palette: the
// colour count that decides the default, the same colour rule as for 8-bit
// bitmaps pixel by pixel, and error diffusion for photos.
#pragma once

#include <cstddef>
#include <cstdint>

#include "media/IconBitmap.h"
#include "media/IconFit.h"

namespace orv {

// A picture held elsewhere: rows top first, each pixel 0xXXRRGGBB (the top
// byte is ignored), stride pixels from the start of one row to the next.
struct RgbPixels {
    const uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    size_t stride = 0;

    uint32_t At(int x, int y) const {
        return pixels[static_cast<size_t>(y) * stride + x] & 0xFFFFFF;
    }
};

// The number of different colours, counted up to limit (a larger count
// returns limit).
int CountColours(const RgbPixels& picture, int limit);

// Every pixel becomes the device index that an 8-bit bitmap's colour table
// entry of its colour (reduced to 6 bits) maps to, so a picture of at most 256
// colours gives exactly the pixels of the same 8-bit bitmap after conversion.
// The result is a converted bitmap of the picture's size, ready for fitting.
// False (nothing changed) when the picture has no sane size.
bool MapToDevicePalette(const RgbPixels& picture, IconBitmap& bitmap);

// The device colour that shows a 24-bit colour best, by weighted distance
// to the colours the device shows.
uint8_t NearestDeviceIndex(int red, int green, int blue);

// A finished 74 x 62 icon: picture, already scaled to the plan's icon
// rectangle, is reduced to the device palette by Floyd-Steinberg error
// diffusion (serpentine) and put there; the rest of the icon is white.
// False (nothing changed) when the picture's size is not the plan's.
bool DitherIntoIcon(const RgbPixels& picture, const IconFitPlan& plan, IconBitmap& bitmap);

}  // namespace orv
