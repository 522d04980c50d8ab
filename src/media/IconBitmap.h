// One picture on its way to becoming a device icon: a 256-colour bitmap read
// from a file, then mapped to the device palette and fitted to 74 x 62.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/Outcome.h"
#include "media/DevicePalette.h"

namespace orv {

constexpr int kIconWidth = 74;
constexpr int kIconHeight = 62;
// Larger pictures are refused: this keeps the pixel buffer below 64 MiB.
constexpr int kMaxBitmapSide = 8192;

constexpr uint16_t kBitmapFileType = 0x4D42;  // "BM"
constexpr uint32_t kBitmapInfoHeaderSize = 40;
constexpr uint32_t kCompressionNone = 0;
constexpr uint32_t kCompressionRle8 = 1;

struct BitmapFileHeader {
    uint16_t type = 0;
    uint32_t size = 0;
    uint16_t reserved1 = 0;
    uint16_t reserved2 = 0;
    uint32_t pixelOffset = 0;
};
constexpr size_t kBitmapFileHeaderBytes = 14;

struct BitmapInfoHeader {
    uint32_t size = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint16_t planes = 0;
    uint16_t bitCount = 0;
    uint32_t compression = 0;
    uint32_t sizeImage = 0;
    int32_t xPelsPerMeter = 0;
    int32_t yPelsPerMeter = 0;
    uint32_t clrUsed = 0;
    uint32_t clrImportant = 0;
};
constexpr size_t kBitmapInfoHeaderBytes = 40;

struct IconBitmap {
    BitmapFileHeader fileHeader;
    // Width and height follow every scaling step; the height is always
    // positive (rows are kept bottom row first), and compression is 0 once
    // the pixels are decoded.
    BitmapInfoHeader infoHeader;
    // After loading, the first colourCount entries hold the file's colours in
    // 6 bits; after conversion the whole table is the device colour table.
    ColourTable colourTable{};
    int colourCount = 0;
    // One byte per pixel, Stride() bytes a row, bottom row first.
    std::vector<uint8_t> pixels;

    int Width() const { return infoHeader.width; }
    int Height() const { return infoHeader.height; }
    int Stride() const { return StrideFor(infoHeader.width); }
    // True when the bitmap holds a whole picture: a sane size and a buffer
    // that matches it.
    bool HasPixels() const {
        return Width() > 0 && Height() > 0 && Width() <= kMaxBitmapSide &&
               Height() <= kMaxBitmapSide &&
               pixels.size() == static_cast<size_t>(Stride()) * Height();
    }
    // Row y in storage order (0 is the bottom row).
    uint8_t* Row(int y) { return pixels.data() + static_cast<size_t>(y) * Stride(); }
    const uint8_t* Row(int y) const { return pixels.data() + static_cast<size_t>(y) * Stride(); }
    // Forgets the picture.
    void Clear();

    // Rows of a bitmap are padded to a multiple of 4 bytes.
    static int StrideFor(int width) { return (width + 3) & ~3; }
};

// Reads an 8-bit bitmap file (uncompressed or RLE8) into bitmap. A failure
// carries the message saying why (the file name is part of it) and leaves the
// bitmap empty. A top-down file is turned bottom up. In RLE8 data, deltas
// move the position as they should, runs past a row's end are cut off there,
// and pixels the data skips or leaves out are 0 (the file's first colour).
Outcome LoadIconBitmap(const std::string& path, IconBitmap& bitmap);
// The same for a file already in memory; path only names it in messages.
Outcome LoadIconBitmapFromBytes(std::span<const uint8_t> bytes, const std::string& path,
                                IconBitmap& bitmap);

// Maps the colour table to device palette indices, rewrites every pixel as
// its device index and replaces the table by the device colour table. Pixels
// whose index lies beyond the file's colours become black.
void ConvertToDevicePalette(IconBitmap& bitmap);

// Loads, converts and fits to 74 x 62: the whole way from a file to an icon.
// A failed load leaves the bitmap empty and carries the loader's message.
Outcome LoadAndConvertIcon(const std::string& path, bool keepAspect, IconBitmap& bitmap);

}  // namespace orv
