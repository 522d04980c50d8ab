#include <gtest/gtest.h>

#include "core/StringTable.h"
#include "media/IconFit.h"
#include "tests/common/TestSupport.h"
#include "tests/media/MediaTestSupport.h"

namespace orv {
namespace {

using test::CapturingReporter;
using test::MakePicture;

// Pixel values that say where they came from.
int Column(int x, int) {
    return x % 200;
}
int Line(int, int y) {
    return y % 200;
}

bool RowIsWhite(const IconBitmap& b, int y) {
    for (int x = 0; x < b.Width(); ++x) {
        if (b.Row(y)[x] != kWhiteIndex) {
            return false;
        }
    }
    return true;
}

TEST(FitToIconSize, LeavesAnIconSizedPictureAlone) {
    CapturingReporter reporter;
    for (bool keepAspect : {false, true}) {
        IconBitmap b = MakePicture(74, 62, [](int x, int y) { return x * 3 + y; });
        const std::vector<uint8_t> before = b.pixels;
        FitToIconSize(b, keepAspect);
        EXPECT_EQ(b.pixels, before);
    }
    EXPECT_TRUE(reporter.Messages().empty());
}

TEST(FitToIconSize, DoublesAHalfSizePictureWithoutBorder) {
    IconBitmap b = MakePicture(37, 31, [](int x, int y) { return x + 100 * (y % 2); });
    FitToIconSize(b, true);
    ASSERT_EQ(b.Width(), 74);
    ASSERT_EQ(b.Height(), 62);
    // Enlarging by 2: the first source column covers three places, each later
    // one two (its third is overwritten by the next).
    auto source = [](int c) { return c <= 2 ? 0 : (c - 1) / 2; };
    for (int y = 0; y < 62; ++y) {
        for (int x = 0; x < 74; ++x) {
            ASSERT_EQ(b.Row(y)[x], source(x) + 100 * (source(y) % 2)) << x << "," << y;
        }
    }
}

TEST(FitToIconSize, WidePictureGetsWhiteRowsAboveAndBelow) {
    IconBitmap b = MakePicture(100, 20, [](int x, int y) { return (x + y) % 100; });
    FitToIconSize(b, true);
    ASSERT_EQ(b.Width(), 74);
    ASSERT_EQ(b.Height(), 62);
    for (int y = 0; y < 62; ++y) {
        EXPECT_EQ(RowIsWhite(b, y), y < 24 || y >= 38) << y;
    }
    // Shrinking 100 -> 74 steps 1.35 columns, 20 -> 14 steps 1.42 rows.
    EXPECT_EQ(b.Row(24)[0], 0);
    EXPECT_EQ(b.Row(24)[3], 4);
    EXPECT_EQ(b.Row(24)[73], 98);
    EXPECT_EQ(b.Row(25)[0], 1);
    EXPECT_EQ(b.Row(37)[0], 18);
}

TEST(FitToIconSize, TallPictureGetsWhiteColumnsOnBothSides) {
    IconBitmap b = MakePicture(20, 100, Column);
    FitToIconSize(b, true);
    ASSERT_EQ(b.Width(), 74);
    ASSERT_EQ(b.Height(), 62);
    // 6200 / 100 = 62 percent: 12 columns, 31 white on each side.
    for (int y = 0; y < 62; ++y) {
        for (int x = 0; x < 74; ++x) {
            bool border = x < 31 || x >= 43;
            ASSERT_EQ(b.Row(y)[x] == kWhiteIndex, border) << x << "," << y;
        }
    }
    EXPECT_EQ(b.Row(0)[31], 0);
    EXPECT_EQ(b.Row(0)[42], 18);  // 11 x 166 / 100
}

TEST(FitToIconSize, StretchesWithoutKeepingTheAspect) {
    IconBitmap b = MakePicture(10, 100, [](int x, int y) { return x + 10 * (y / 10); });
    FitToIconSize(b, false);
    ASSERT_EQ(b.Width(), 74);
    ASSERT_EQ(b.Height(), 62);
    EXPECT_EQ(b.pixels.size(), 76u * 62u);
    for (int y = 0; y < 62; ++y) {
        EXPECT_FALSE(RowIsWhite(b, y));
    }
    EXPECT_EQ(b.Row(0)[0], 0);
    EXPECT_EQ(b.Row(61)[73], 9 + 90);
}

TEST(FitToIconSize, KeepsAtLeastOnePixelOfAVeryFlatPicture) {
    CapturingReporter reporter;
    IconBitmap wide = MakePicture(1000, 5, Column);
    FitToIconSize(wide, true);
    ASSERT_EQ(wide.Width(), 74);
    ASSERT_EQ(wide.Height(), 62);
    int pictureRows = 0;
    for (int y = 0; y < 62; ++y) {
        pictureRows += RowIsWhite(wide, y) ? 0 : 1;
    }
    EXPECT_EQ(pictureRows, 1);

    IconBitmap tall = MakePicture(3, 8000, Line);
    FitToIconSize(tall, true);
    ASSERT_EQ(tall.Width(), 74);
    ASSERT_EQ(tall.Height(), 62);
    EXPECT_NE(tall.Row(10)[36], kWhiteIndex);
    EXPECT_EQ(tall.Row(10)[35], kWhiteIndex);
    EXPECT_EQ(tall.Row(10)[37], kWhiteIndex);
    EXPECT_TRUE(reporter.Messages().empty());
}

TEST(FitToIconSize, OddBordersPutTheExtraOneRightAndOnTop) {
    IconBitmap b = MakePicture(73, 61, Column);
    PadWidth(b);
    PadHeight(b);
    ASSERT_EQ(b.Width(), 74);
    ASSERT_EQ(b.Height(), 62);
    EXPECT_EQ(b.Row(0)[0], 0);
    EXPECT_EQ(b.Row(0)[72], 72);
    EXPECT_EQ(b.Row(0)[73], kWhiteIndex);
    EXPECT_TRUE(RowIsWhite(b, 61));
    EXPECT_FALSE(RowIsWhite(b, 60));
}

TEST(FitToIconSize, StepsInTheWrongDirectionChangeNothing) {
    CapturingReporter reporter;
    IconBitmap b = MakePicture(80, 70, Column);
    const std::vector<uint8_t> before = b.pixels;
    ShrinkWidth(b, 90);
    ShrinkHeight(b, 0);
    EnlargeWidth(b, 20);
    EnlargeHeight(b, 10);
    PadWidth(b);
    PadHeight(b);
    EXPECT_EQ(b.Width(), 80);
    EXPECT_EQ(b.Height(), 70);
    EXPECT_EQ(b.pixels, before);
    ASSERT_EQ(reporter.Messages().size(), 6u);
    const std::string internal = LoadString(IDM_INTERNAL_ERROR);
    EXPECT_EQ(reporter.Messages()[0].substr(0, 20), internal.substr(0, 20));

    // Reaching the size already there is no error.
    reporter.Clear();
    ShrinkWidth(b, 80);
    EnlargeHeight(b, 70);
    EXPECT_TRUE(reporter.Messages().empty());
}

}  // namespace
}  // namespace orv
