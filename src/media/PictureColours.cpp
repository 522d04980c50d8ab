#include "media/PictureColours.h"

#include <algorithm>
#include <array>
#include <vector>

namespace orv {
namespace {

// A converted bitmap of the given size with the device colour table, as the
// loader and the conversion leave an 8-bit bitmap.
void StartConvertedBitmap(IconBitmap& bitmap, int width, int height) {
    bitmap.Clear();
    bitmap.fileHeader.type = kBitmapFileType;
    BitmapInfoHeader& info = bitmap.infoHeader;
    info.size = kBitmapInfoHeaderSize;
    info.width = width;
    info.height = height;
    info.planes = 1;
    info.bitCount = 8;
    info.clrUsed = kPaletteSize;
    bitmap.colourTable = DeviceColourTable();
    bitmap.colourCount = kPaletteSize;
    bitmap.pixels.assign(static_cast<size_t>(bitmap.Stride()) * height, kWhiteIndex);
}

bool SaneSize(const RgbPixels& p) {
    return p.pixels && p.width > 0 && p.height > 0 && p.width <= kMaxBitmapSide &&
           p.height <= kMaxBitmapSide && p.stride >= static_cast<size_t>(p.width);
}

// What the device shows for each palette entry, in 8 bits a component (the
// 6-bit 63 is full brightness).
struct ShownColour {
    int red, green, blue;
};
const std::array<ShownColour, kPaletteSize>& ShownColours() {
    static const std::array<ShownColour, kPaletteSize> table = [] {
        std::array<ShownColour, kPaletteSize> t{};
        const PaletteTable& palette = DevicePalette();
        auto widen = [](int v) { return (v * 255 + 31) / 63; };
        for (int i = 0; i < kPaletteSize; ++i) {
            t[i] = {widen(palette[i].red), widen(palette[i].green), widen(palette[i].blue)};
        }
        return t;
    }();
    return table;
}

}  // namespace

int CountColours(const RgbPixels& picture, int limit) {
    if (!SaneSize(picture)) {
        return 0;
    }
    std::vector<uint64_t> seen((1u << 24) / 64, 0);
    int count = 0;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const uint32_t c = picture.At(x, y);
            uint64_t& word = seen[c >> 6];
            const uint64_t bit = uint64_t{1} << (c & 63);
            if ((word & bit) == 0) {
                word |= bit;
                if (++count >= limit) {
                    return limit;
                }
            }
        }
    }
    return count;
}

bool MapToDevicePalette(const RgbPixels& picture, IconBitmap& bitmap) {
    if (!SaneSize(picture)) {
        return false;
    }
    StartConvertedBitmap(bitmap, picture.width, picture.height);
    // The rule per 6-bit colour, worked out once for each colour that occurs.
    std::vector<int16_t> index(size_t{1} << 18, -1);
    for (int y = 0; y < picture.height; ++y) {
        uint8_t* row = bitmap.Row(picture.height - 1 - y);
        for (int x = 0; x < picture.width; ++x) {
            const uint32_t c = picture.At(x, y);
            const uint8_t r = static_cast<uint8_t>((c >> 18) & 63);
            const uint8_t g = static_cast<uint8_t>((c >> 10) & 63);
            const uint8_t b = static_cast<uint8_t>((c >> 2) & 63);
            int16_t& device = index[(size_t{r} << 12) | (size_t{g} << 6) | b];
            if (device < 0) {
                device = DeviceIndexForColour({r, g, b});
            }
            row[x] = static_cast<uint8_t>(device);
        }
    }
    return true;
}

uint8_t NearestDeviceIndex(int red, int green, int blue) {
    const std::array<ShownColour, kPaletteSize>& shown = ShownColours();
    int best = 0;
    long bestDistance = -1;
    for (int i = 0; i < kPaletteSize; ++i) {
        const long dr = red - shown[i].red;
        const long dg = green - shown[i].green;
        const long db = blue - shown[i].blue;
        // The eye tells green apart best and blue least.
        const long distance = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
        if (bestDistance < 0 || distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return static_cast<uint8_t>(best);
}

bool DitherIntoIcon(const RgbPixels& picture, const IconFitPlan& plan, IconBitmap& bitmap) {
    if (!SaneSize(picture) || picture.width != plan.iconWidth ||
        picture.height != plan.iconHeight || plan.iconX < 0 || plan.iconY < 0 ||
        plan.iconX + plan.iconWidth > kIconWidth || plan.iconY + plan.iconHeight > kIconHeight) {
        return false;
    }
    StartConvertedBitmap(bitmap, kIconWidth, kIconHeight);
    const int w = picture.width;
    // The error carried to this row and the next, in 16ths, one pixel of
    // margin on either side so that the edges need no tests.
    std::vector<std::array<int, 3>> here(static_cast<size_t>(w) + 2, {0, 0, 0});
    std::vector<std::array<int, 3>> next(here.size(), {0, 0, 0});
    const std::array<ShownColour, kPaletteSize>& shown = ShownColours();
    for (int y = 0; y < picture.height; ++y) {
        const bool leftToRight = y % 2 == 0;
        const int step = leftToRight ? 1 : -1;
        uint8_t* row = bitmap.Row(kIconHeight - 1 - (plan.iconY + y));
        for (int i = 0; i < w; ++i) {
            const int x = leftToRight ? i : w - 1 - i;
            const uint32_t c = picture.At(x, y);
            const int source[3] = {static_cast<int>((c >> 16) & 255),
                                   static_cast<int>((c >> 8) & 255), static_cast<int>(c & 255)};
            int wanted[3];
            for (int k = 0; k < 3; ++k) {
                wanted[k] = std::clamp(source[k] + here[x + 1][k] / 16, 0, 255);
            }
            const uint8_t device = NearestDeviceIndex(wanted[0], wanted[1], wanted[2]);
            row[plan.iconX + x] = device;
            const int got[3] = {shown[device].red, shown[device].green, shown[device].blue};
            for (int k = 0; k < 3; ++k) {
                const int error = wanted[k] - got[k];
                here[x + 1 + step][k] += error * 7;
                next[x + 1 - step][k] += error * 3;
                next[x + 1][k] += error * 5;
                next[x + 1 + step][k] += error;
            }
        }
        here.swap(next);
        std::fill(next.begin(), next.end(), std::array<int, 3>{0, 0, 0});
    }
    return true;
}

}  // namespace orv
