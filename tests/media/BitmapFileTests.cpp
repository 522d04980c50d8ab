#include <gtest/gtest.h>

#include "media/IconBitmapFile.h"
#include "tests/common/TestSupport.h"
#include "tests/media/MediaTestSupport.h"

namespace orv {
namespace {

TEST(IconBitmapFile, IsAPlainEightBitBitmapThatLoadsBack) {
    test::MessageLog shown;
    IconBitmap icon = test::MakePicture(74, 62, [](int x, int y) { return (x + 7 * y) % 256; });
    std::vector<uint8_t> bytes = IconBitmapFileBytes(icon);
    ASSERT_EQ(bytes.size(), 14u + 40 + 1024 + 62 * 76);
    // Width 74, height 62, 1 plane, 8 bits, uncompressed, 256 colours used.
    EXPECT_EQ(bytes[18], 74);
    EXPECT_EQ(bytes[22], 62);
    EXPECT_EQ(bytes[26], 1);
    EXPECT_EQ(bytes[28], 8);
    EXPECT_EQ(bytes[30], 0);
    EXPECT_EQ(bytes[46] | (bytes[47] << 8), 256);
    // Each row ends with two zero bytes.
    EXPECT_EQ(bytes[1078 + 74], 0);
    EXPECT_EQ(bytes[1078 + 75], 0);

    test::TempDir dir;
    const std::string path = (dir / "icon.bmp").string();
    ASSERT_TRUE(shown.Keep(WriteIconBitmapFile(icon, path)));
    IconBitmap loaded;
    ASSERT_TRUE(shown.Keep(LoadIconBitmap(path, loaded)));
    EXPECT_EQ(loaded.Width(), 74);
    EXPECT_EQ(loaded.Height(), 62);
    for (int y = 0; y < 62; ++y) {
        ASSERT_EQ(test::RowOf(loaded, y), test::RowOf(icon, y));
    }
    // The table is the device palette, 6 bits again once loaded.
    for (int i = 0; i < kPaletteSize; ++i) {
        const PaletteColour& c = DevicePalette()[i];
        ASSERT_EQ(loaded.colourTable[i], (RgbQuad{c.blue, c.green, c.red, 0}));
    }
    EXPECT_TRUE(shown.Messages().empty());
}

TEST(IconBitmapFile, WriteFailureIsReported) {
    test::MessageLog shown;
    test::TempDir dir;
    IconBitmap icon = test::MakePicture(74, 62, [](int, int) { return 1; });
    EXPECT_FALSE(shown.Keep(WriteIconBitmapFile(icon, (dir / "no" / "icon.bmp").string())));
    ASSERT_EQ(shown.Messages().size(), 1u);
    EXPECT_NE(shown.Messages()[0].find("icon.bmp"), std::string::npos);
}

}  // namespace
}  // namespace orv
