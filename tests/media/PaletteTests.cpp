#include <gtest/gtest.h>

#include <set>
#include <tuple>
#include <utility>
#include <vector>

#include "core/StringTable.h"
#include "media/DevicePalette.h"
#include "media/IconBitmap.h"
#include "tests/common/TestSupport.h"

namespace orv {
namespace {

TEST(DevicePalette, FollowsTheCubeRampsAndGreys) {
    const PaletteTable& p = DevicePalette();
    EXPECT_EQ(p[0], (PaletteColour{0, 0, 0}));
    EXPECT_EQ(p[1], (PaletteColour{63, 63, 51}));
    EXPECT_EQ(p[6], (PaletteColour{63, 51, 63}));
    EXPECT_EQ(p[36], (PaletteColour{51, 63, 63}));
    EXPECT_EQ(p[214], (PaletteColour{0, 0, 12}));
    EXPECT_EQ(p[215], (PaletteColour{59, 0, 0}));
    EXPECT_EQ(p[224], (PaletteColour{4, 0, 0}));
    EXPECT_EQ(p[225], (PaletteColour{0, 59, 0}));
    EXPECT_EQ(p[244], (PaletteColour{0, 0, 4}));
    EXPECT_EQ(p[245], (PaletteColour{63, 63, 63}));
    EXPECT_EQ(p[254], (PaletteColour{4, 4, 4}));
    EXPECT_EQ(p[255], (PaletteColour{63, 63, 63}));
}

TEST(DevicePalette, EightBitTableIsBlueGreenRedTimesFour) {
    const ColourTable& t = DeviceColourTable();
    EXPECT_EQ(t[1], (RgbQuad{204, 252, 252, 0}));
    EXPECT_EQ(t[215], (RgbQuad{0, 0, 236, 0}));
    EXPECT_EQ(t[244], (RgbQuad{16, 0, 0, 0}));
}

// The results for 0-63 as (last input, level) ranges.
std::vector<int> Expand(const std::vector<std::pair<int, int>>& ranges) {
    std::vector<int> out;
    for (auto [last, level] : ranges) {
        while (static_cast<int>(out.size()) <= last) {
            out.push_back(level);
        }
    }
    return out;
}

std::vector<int> SnapAll(std::span<const uint8_t> levels) {
    std::vector<int> out;
    for (int v = 0; v < 64; ++v) {
        out.push_back(SnapToLevels(v, levels));
    }
    return out;
}

TEST(SnapToLevels, CubeLevelsRoundHalfGapsUp) {
    EXPECT_EQ(SnapAll(kCubeLevels),
              Expand({{5, 0}, {17, 12}, {30, 25}, {43, 38}, {56, 51}, {63, 63}}));
}

TEST(SnapToLevels, PrimaryLevels) {
    EXPECT_EQ(SnapAll(kPrimaryLevels), Expand({{1, 0},
                                               {5, 4},
                                               {9, 8},
                                               {13, 12},
                                               {18, 17},
                                               {22, 21},
                                               {26, 25},
                                               {30, 29},
                                               {35, 34},
                                               {39, 38},
                                               {43, 42},
                                               {47, 46},
                                               {52, 51},
                                               {56, 55},
                                               {60, 59},
                                               {63, 63}}));
}

TEST(SnapToLevels, GreyLevels) {
    EXPECT_EQ(SnapAll(kGreyLevels), Expand({{1, 0},
                                            {5, 4},
                                            {11, 8},
                                            {18, 17},
                                            {24, 21},
                                            {30, 29},
                                            {37, 34},
                                            {43, 42},
                                            {49, 46},
                                            {58, 55},
                                            {63, 63}}));
}

TEST(SnapToLevels, ValuesOutsideTheListGoToItsEnds) {
    const uint8_t levels[] = {10, 20};
    EXPECT_EQ(SnapToLevels(3, levels), 10);
    EXPECT_EQ(SnapToLevels(99, levels), 20);
}

TEST(DeviceIndexForColour, MapsTheWorkedExamples) {
    // (red, green, blue) in 6 bits -> device index
    const std::vector<std::tuple<int, int, int, int>> cases = {
        {63, 63, 63, 245}, {1, 1, 1, 0},   {32, 32, 32, 249}, {40, 20, 10, 94},
        {30, 0, 0, 220},   {3, 0, 0, 224}, {5, 3, 0, 224},    {1, 2, 3, 244},
        {18, 18, 18, 252}, {3, 5, 0, 234},  // the larger component decides the ramp
    };
    for (auto [r, g, b, index] : cases) {
        PaletteColour c{static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b)};
        EXPECT_EQ(DeviceIndexForColour(c), index) << r << "," << g << "," << b;
    }
    EXPECT_EQ(SnapToDeviceColour({40, 20, 10}), (PaletteColour{38, 25, 12}));
    EXPECT_EQ(SnapToDeviceColour({5, 3, 0}), (PaletteColour{4, 0, 0}));
}

TEST(DeviceIndexForColour, EverySixBitColourLandsInThePalette) {
    std::set<std::tuple<int, int, int>> palette;
    for (const PaletteColour& c : DevicePalette()) {
        palette.insert({c.red, c.green, c.blue});
    }
    for (int r = 0; r < 64; ++r) {
        for (int g = 0; g < 64; ++g) {
            for (int b = 0; b < 64; ++b) {
                PaletteColour c = SnapToDeviceColour(
                    {static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b)});
                ASSERT_TRUE(palette.count({c.red, c.green, c.blue})) << r << "," << g << "," << b;
            }
        }
    }
}

TEST(ConvertToDevicePalette, RewritesPixelsAndTable) {
    test::CapturingReporter reporter;
    IconBitmap b;
    b.infoHeader.width = 5;
    b.infoHeader.height = 1;
    b.colourCount = 3;
    b.colourTable[0] = {0, 0, 63, 0};    // red: the cube's (63, 0, 0)
    b.colourTable[1] = {63, 63, 63, 0};  // white
    b.colourTable[2] = {8, 8, 8, 0};     // grey
    b.colourTable[3] = {63, 63, 63, 0};  // beyond the file's colours: not used
    b.pixels = {0, 1, 2, 3, 200, 2, 2, 2};

    ConvertToDevicePalette(b);

    // Indices 3 and 200 were never given a colour: black.
    EXPECT_EQ(b.pixels, (std::vector<uint8_t>{35, 245, 253, 0, 0, 253, 253, 253}));
    EXPECT_EQ(b.colourTable, DeviceColourTable());
    EXPECT_EQ(b.colourCount, 256);
    EXPECT_TRUE(reporter.Messages().empty());
}

}  // namespace
}  // namespace orv
