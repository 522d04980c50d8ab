// The devices' fixed 256-colour palette and the rule that maps any colour to it.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace orv {

// A palette colour: three 6-bit components (0-63).
struct PaletteColour {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    friend bool operator==(const PaletteColour&, const PaletteColour&) = default;
};

// A colour-table entry as it stands in a bitmap file: blue, green, red, reserved.
struct RgbQuad {
    uint8_t blue = 0;
    uint8_t green = 0;
    uint8_t red = 0;
    uint8_t reserved = 0;
    friend bool operator==(const RgbQuad&, const RgbQuad&) = default;
};

constexpr int kPaletteSize = 256;
// The first white of the palette: the colour of the border that fitting adds.
constexpr uint8_t kWhiteIndex = 245;

using PaletteTable = std::array<PaletteColour, kPaletteSize>;
using ColourTable = std::array<RgbQuad, kPaletteSize>;

// The device palette, built on first use and kept for the life of the program.
const PaletteTable& DevicePalette();
// The same palette as an 8-bit colour table (components x 4, reserved 0).
const ColourTable& DeviceColourTable();

// Component levels the colour rule snaps to.
inline constexpr std::array<uint8_t, 6> kCubeLevels = {0, 12, 25, 38, 51, 63};
inline constexpr std::array<uint8_t, 16> kPrimaryLevels = {0,  4,  8,  12, 17, 21, 25, 29,
                                                           34, 38, 42, 46, 51, 55, 59, 63};
inline constexpr std::array<uint8_t, 11> kGreyLevels = {0, 4, 8, 17, 21, 29, 34, 42, 46, 55, 63};

// Snaps v to one of the sorted levels. Between two levels v goes up once it is
// at least half the gap (rounded down) above the lower one.
int SnapToLevels(int v, std::span<const uint8_t> levels);

// The device colour a 6-bit colour becomes.
PaletteColour SnapToDeviceColour(PaletteColour colour);

// The index of the first palette entry equal to colour, or -1.
int FindPaletteIndex(PaletteColour colour);

// The palette index a 6-bit colour maps to. A result missing from the palette
// is an internal error and maps to black (0).
uint8_t DeviceIndexForColour(PaletteColour colour);

}  // namespace orv
