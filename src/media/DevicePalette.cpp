#include "media/DevicePalette.h"

#include "core/Errors.h"

namespace orv {
namespace {

PaletteTable BuildPalette() {
    static constexpr uint8_t kCube[] = {63, 51, 38, 25, 12, 0};
    static constexpr uint8_t kRamp[] = {59, 55, 46, 42, 34, 29, 21, 17, 8, 4};
    static constexpr uint8_t kGrey[] = {63, 55, 46, 42, 34, 29, 21, 17, 8, 4};
    PaletteTable table{};
    // Index 0 stays black: the cube's first position would be white.
    for (int k = 1; k <= 214; ++k) {
        table[k] = {kCube[k / 36], kCube[(k / 6) % 6], kCube[k % 6]};
    }
    for (int i = 0; i < 10; ++i) {
        table[215 + i] = {kRamp[i], 0, 0};
        table[225 + i] = {0, kRamp[i], 0};
        table[235 + i] = {0, 0, kRamp[i]};
        table[245 + i] = {kGrey[i], kGrey[i], kGrey[i]};
    }
    table[255] = {63, 63, 63};
    return table;
}

ColourTable BuildColourTable() {
    ColourTable table{};
    const PaletteTable& palette = DevicePalette();
    for (int i = 0; i < kPaletteSize; ++i) {
        const PaletteColour& c = palette[i];
        table[i] = {static_cast<uint8_t>(c.blue * 4), static_cast<uint8_t>(c.green * 4),
                    static_cast<uint8_t>(c.red * 4), 0};
    }
    return table;
}

uint8_t Snap(uint8_t v, std::span<const uint8_t> levels) {
    return static_cast<uint8_t>(SnapToLevels(v, levels));
}

}  // namespace

const PaletteTable& DevicePalette() {
    static const PaletteTable table = BuildPalette();
    return table;
}

const ColourTable& DeviceColourTable() {
    static const ColourTable table = BuildColourTable();
    return table;
}

int SnapToLevels(int v, std::span<const uint8_t> levels) {
    if (levels.empty()) {
        return v;
    }
    for (size_t i = 0; i + 1 < levels.size(); ++i) {
        int low = levels[i];
        int high = levels[i + 1];
        if (v == low) {
            return v;
        }
        if (low < v && v < high) {
            // The half gap rounds down, so ties and near-ties go up.
            return v - (high - low) / 2 >= low ? high : low;
        }
    }
    if (v < levels.front()) {
        return levels.front();
    }
    if (v > levels.back()) {
        return levels.back();
    }
    return v;
}

PaletteColour SnapToDeviceColour(PaletteColour colour) {
    uint8_t& b = colour.blue;
    uint8_t& g = colour.green;
    uint8_t& r = colour.red;
    uint8_t* largest;
    uint8_t* middle;
    uint8_t* smallest;
    if (b >= g && b >= r) {
        largest = &b;
        middle = g >= r ? &g : &r;
        smallest = g >= r ? &r : &g;
    } else if (b >= g) {
        largest = &r;
        middle = &b;
        smallest = &g;
    } else if (b >= r) {
        largest = &g;
        middle = &b;
        smallest = &r;
    } else {
        smallest = &b;
        largest = r > g ? &r : &g;
        middle = r > g ? &g : &r;
    }

    if (*smallest < 2) {
        *smallest = 0;
    }
    const bool grey = *middle - *smallest < 2 && *largest - *middle < 2;
    if (grey && *smallest == 0) {
        *middle = 0;
        *largest = *largest < 2 ? 0 : 4;
    } else if (grey) {
        uint8_t v = Snap(*middle, kGreyLevels);
        *largest = *middle = *smallest = v;
    } else if (*smallest != 0) {
        *largest = Snap(*largest, kCubeLevels);
        *middle = Snap(*middle, kCubeLevels);
        *smallest = Snap(*smallest, kCubeLevels);
    } else if (*middle >= 6) {
        *largest = Snap(*largest, kCubeLevels);
        *middle = Snap(*middle, kCubeLevels);
    } else {
        // Too little of a second primary to show: a pure primary ramp colour.
        *middle = 0;
        *largest = *largest < 2 ? 0 : Snap(*largest, kPrimaryLevels);
    }
    return colour;
}

int FindPaletteIndex(PaletteColour colour) {
    const PaletteTable& palette = DevicePalette();
    for (int i = 0; i < kPaletteSize; ++i) {
        if (palette[i] == colour) {
            return i;
        }
    }
    return -1;
}

uint8_t DeviceIndexForColour(PaletteColour colour) {
    int index = FindPaletteIndex(SnapToDeviceColour(colour));
    if (index < 0) {
        ORV_INTERNAL_ERROR();
        return 0;
    }
    return static_cast<uint8_t>(index);
}

}  // namespace orv
