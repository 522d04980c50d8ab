#include <gtest/gtest.h>

#include <climits>

#include "core/StringTable.h"
#include "media/IconBitmap.h"
#include "media/MediaTexts.h"
#include "tests/common/TestSupport.h"
#include "tests/media/MediaTestSupport.h"

namespace orv {
namespace {

using test::BmpFields;
using test::GreyColours;
using test::LoadBytes;
using test::MakeBmp;
using test::MessageLog;
using test::PadRows;
using test::RowOf;

using Row = std::vector<uint8_t>;

// A 5 x 3 picture, rows in file order (bottom first).
const std::vector<Row> kRows = {{1, 2, 3, 4, 5}, {6, 6, 6, 6, 6}, {7, 8, 9, 9, 9}};

BmpFields Plain() {
    BmpFields s;
    s.width = 5;
    s.height = 3;
    s.colours = GreyColours(10);
    s.clrUsed = 10;
    s.data = PadRows(kRows);
    return s;
}

BmpFields Rle(std::vector<uint8_t> data, int width = 5, int height = 3) {
    BmpFields s = Plain();
    s.width = width;
    s.height = height;
    s.compression = 1;
    s.data = std::move(data);
    return s;
}

std::vector<Row> RowsOf(const IconBitmap& b) {
    std::vector<Row> rows;
    for (int y = 0; y < b.Height(); ++y) {
        rows.push_back(RowOf(b, y));
    }
    return rows;
}

TEST(LoadIconBitmap, ReadsAnUncompressedFile) {
    MessageLog shown;
    IconBitmap b;
    ASSERT_TRUE(shown.Keep(LoadBytes(MakeBmp(Plain()), b)));
    EXPECT_TRUE(shown.Messages().empty());
    EXPECT_EQ(b.Width(), 5);
    EXPECT_EQ(b.Height(), 3);
    EXPECT_EQ(b.Stride(), 8);
    EXPECT_EQ(b.pixels.size(), 24u);
    EXPECT_EQ(RowsOf(b), kRows);
    EXPECT_EQ(b.colourCount, 10);
    EXPECT_EQ(b.fileHeader.type, 0x4D42);
    // Colours arrive in 6 bits; entries the file does not hold are black.
    EXPECT_EQ(b.colourTable[9], (RgbQuad{2, 2, 2, 0}));
    EXPECT_EQ(b.colourTable[10], (RgbQuad{}));
}

TEST(LoadIconBitmap, ZeroColoursUsedMeansAllOfThem) {
    MessageLog shown;
    BmpFields s = Plain();
    s.clrUsed = 0;
    s.colours = GreyColours(256);
    IconBitmap b;
    ASSERT_TRUE(shown.Keep(LoadBytes(MakeBmp(s), b)));
    EXPECT_EQ(b.colourCount, 256);
    EXPECT_EQ(RowsOf(b), kRows);
}

TEST(LoadIconBitmap, TopDownRowsAreStoredBottomFirst) {
    MessageLog shown;
    BmpFields s = Plain();
    s.height = -3;
    s.data = PadRows({kRows[2], kRows[1], kRows[0]});
    IconBitmap b;
    ASSERT_TRUE(shown.Keep(LoadBytes(MakeBmp(s), b)));
    EXPECT_EQ(b.Height(), 3);
    EXPECT_EQ(RowsOf(b), kRows);
}

TEST(LoadIconBitmap, Rle8DecodesToTheSamePixels) {
    MessageLog shown;
    IconBitmap b;
    ASSERT_TRUE(shown.Keep(LoadBytes(MakeBmp(Rle({
                                         0, 5, 1, 2, 3, 4, 5, 0,  // absolute run with its pad byte
                                         0, 0,                    // end of line
                                         5, 6, 0, 0,              // a run of five
                                         1, 7, 1, 8, 3, 9, 0, 1,  // short runs, then end of bitmap
                                     })),
                                     b)));
    EXPECT_TRUE(shown.Messages().empty());
    EXPECT_EQ(RowsOf(b), kRows);
    EXPECT_EQ(b.infoHeader.compression, 0u);
}

TEST(LoadIconBitmap, Rle8WritesNothingOutsideThePicture) {
    MessageLog shown;
    IconBitmap b;
    // Runs past the row end are cut off, not carried into the next row;
    // pixels never written stay 0.
    ASSERT_TRUE(shown.Keep(LoadBytes(MakeBmp(Rle({
                                         9, 4, 0, 0,                    // 9 pixels into a row of 5
                                         0, 7, 1, 2, 3, 4, 5, 6, 7, 0,  // absolute run of 7
                                         0, 0,                          //
                                         2, 3,  // row left early by end of bitmap
                                         0, 1,
                                     })),
                                     b)));
    EXPECT_EQ(RowsOf(b), (std::vector<Row>{{4, 4, 4, 4, 4}, {1, 2, 3, 4, 5}, {3, 3, 0, 0, 0}}));
    EXPECT_TRUE(shown.Messages().empty());
}

TEST(LoadIconBitmap, Rle8DeltaMovesRightAndUp) {
    MessageLog shown;
    IconBitmap b;
    ASSERT_TRUE(shown.Keep(LoadBytes(MakeBmp(Rle({
                                         1, 1, 0, 2, 2, 1,  // pixel, then two right and one up
                                         2, 2, 0, 2, 9, 9,  // two pixels, then far past the picture
                                         1, 5,              // never written
                                     })),
                                     b)));
    EXPECT_EQ(RowsOf(b), (std::vector<Row>{{1, 0, 0, 0, 0}, {0, 0, 0, 2, 2}, {0, 0, 0, 0, 0}}));
    EXPECT_TRUE(shown.Messages().empty());
}

TEST(LoadIconBitmap, Rle8EndsAfterTheLastRowWithoutAnEndCode) {
    MessageLog shown;
    IconBitmap b;
    EXPECT_TRUE(shown.Keep(
        LoadBytes(MakeBmp(Rle({5, 1, 0, 0, 5, 2, 0, 0, 5, 3, 0, 0, 0xFF, 0xFF}, 5, 3)), b)));
    EXPECT_TRUE(shown.Keep(LoadBytes(MakeBmp(Rle({5, 1, 0, 0, 5, 2, 0, 0, 5, 3}, 5, 3)), b)));
    EXPECT_EQ(RowsOf(b), (std::vector<Row>{Row(5, 1), Row(5, 2), Row(5, 3)}));
    EXPECT_TRUE(shown.Messages().empty());
}

TEST(LoadIconBitmap, RefusesDataThatEndsEarly) {
    const std::string truncated = FormatString(IDM_BITMAP_TRUNCATED, "test.bmp");
    std::vector<BmpFields> cases;
    BmpFields s = Plain();
    s.data.pop_back();  // the last pixel row lacks a byte
    cases.push_back(s);
    s = Plain();
    s.colours.resize(9);  // the colour table lacks an entry and there is no pixel data
    s.data.clear();
    cases.push_back(s);
    cases.push_back(Rle({5, 1, 0, 0, 5, 2}));        // stops inside the second row
    cases.push_back(Rle({5, 1, 0, 0, 0, 6, 1, 2}));  // stops inside an absolute run
    cases.push_back(Rle({0, 2, 1}));                 // stops inside a delta
    cases.push_back(Rle({5}));                       // half a pair
    for (size_t i = 0; i < cases.size(); ++i) {
        MessageLog shown;
        IconBitmap b;
        EXPECT_FALSE(shown.Keep(LoadBytes(MakeBmp(cases[i]), b))) << i;
        EXPECT_EQ(shown.Messages(), std::vector<std::string>{truncated}) << i;
        EXPECT_FALSE(b.HasPixels()) << i;
        EXPECT_TRUE(b.pixels.empty()) << i;
    }
}

TEST(LoadIconBitmap, RefusesHostileHeaders) {
    struct Case {
        const char* what;
        void (*change)(BmpFields&);
        std::string message;
    };
    const std::string name = "test.bmp";
    const std::string not256 = name + LoadString(IDS_NOT_256_COLOURS);
    const std::string noSize = FormatString(IDM_BITMAP_NO_SIZE, name);
    const std::string tooLarge = FormatString(IDM_BITMAP_TOO_LARGE, name, "8192");
    const std::vector<Case> cases = {
        {"not BM", [](BmpFields& s) { s.type = 0x4142; }, not256},
        {"v5 header", [](BmpFields& s) { s.headerSize = 124; }, not256},
        {"24 bits", [](BmpFields& s) { s.bitCount = 24; }, not256},
        {"4 bits", [](BmpFields& s) { s.bitCount = 4; }, not256},
        {"width 0", [](BmpFields& s) { s.width = 0; }, noSize},
        {"height 0", [](BmpFields& s) { s.height = 0; }, noSize},
        {"negative width", [](BmpFields& s) { s.width = -5; }, noSize},
        {"wide", [](BmpFields& s) { s.width = 8193; }, tooLarge},
        {"widest", [](BmpFields& s) { s.width = INT32_MAX; }, tooLarge},
        {"tall top-down", [](BmpFields& s) { s.height = -8193; }, tooLarge},
        {"most negative height", [](BmpFields& s) { s.height = INT32_MIN; }, tooLarge},
        {"257 colours", [](BmpFields& s) { s.clrUsed = 257; },
         FormatString(IDM_BITMAP_TOO_MANY_COLOURS, name)},
        {"colour count overflow", [](BmpFields& s) { s.clrUsed = 0xFFFFFFFF; },
         FormatString(IDM_BITMAP_TOO_MANY_COLOURS, name)},
        {"RLE4", [](BmpFields& s) { s.compression = 2; },
         FormatString(IDM_BITMAP_COMPRESSION, name)},
        {"bit fields", [](BmpFields& s) { s.compression = 3; },
         FormatString(IDM_BITMAP_COMPRESSION, name)},
        {"top-down RLE8",
         [](BmpFields& s) {
             s.height = -3;
             s.compression = 1;
         },
         FormatString(IDM_BITMAP_TOP_DOWN_RLE, name)},
    };
    for (const Case& c : cases) {
        MessageLog shown;
        BmpFields s = Plain();
        c.change(s);
        IconBitmap b;
        EXPECT_FALSE(shown.Keep(LoadBytes(MakeBmp(s), b))) << c.what;
        EXPECT_EQ(shown.Messages(), std::vector<std::string>{c.message}) << c.what;
        EXPECT_FALSE(b.HasPixels()) << c.what;
    }
}

TEST(LoadIconBitmap, RefusesAFileShorterThanItsHeaders) {
    MessageLog shown;
    std::vector<uint8_t> bytes = MakeBmp(Plain());
    bytes.resize(40);
    IconBitmap b;
    EXPECT_FALSE(shown.Keep(LoadBytes(bytes, b, "short.bmp")));
    EXPECT_EQ(shown.Messages(),
              std::vector<std::string>{"short.bmp" + LoadString(IDS_NOT_256_COLOURS)});
}

TEST(LoadIconBitmap, AcceptsTheLargestSide) {
    MessageLog shown;
    BmpFields s = Plain();
    s.width = kMaxBitmapSide;
    s.height = 1;
    s.data = PadRows({Row(kMaxBitmapSide, 3)});
    IconBitmap b;
    ASSERT_TRUE(shown.Keep(LoadBytes(MakeBmp(s), b)));
    EXPECT_EQ(b.Width(), kMaxBitmapSide);
    EXPECT_EQ(b.pixels.size(), static_cast<size_t>(kMaxBitmapSide));
}

TEST(LoadIconBitmap, FromFileReportsWhatWentWrong) {
    test::TempDir dir;
    MessageLog shown;
    IconBitmap b;
    const std::string missing = (dir / "missing.bmp").string();
    EXPECT_FALSE(shown.Keep(LoadIconBitmap(missing, b)));
    // A folder opens but cannot be read.
    EXPECT_FALSE(shown.Keep(LoadIconBitmap(dir.Path().string(), b)));
    const std::string good = (dir / "good.bmp").string();
    std::vector<uint8_t> bytes = MakeBmp(Plain());
    test::WriteFileBytes(good, std::string(bytes.begin(), bytes.end()));
    EXPECT_TRUE(shown.Keep(LoadIconBitmap(good, b)));
    EXPECT_EQ(RowsOf(b), kRows);

    std::vector<std::string> messages = shown.Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0], "Error opening file " + missing + ".");
    EXPECT_NE(messages[1].find(dir.Path().string()), std::string::npos);
}

TEST(LoadAndConvertIcon, FailedLoadLeavesNoPicture) {
    MessageLog shown;
    test::TempDir dir;
    const std::string good = (dir / "good.bmp").string();
    std::vector<uint8_t> bytes = MakeBmp(Plain());
    test::WriteFileBytes(good, std::string(bytes.begin(), bytes.end()));
    IconBitmap b;
    ASSERT_TRUE(shown.Keep(LoadAndConvertIcon(good, true, b)));
    EXPECT_EQ(b.Width(), kIconWidth);
    EXPECT_EQ(b.Height(), kIconHeight);
    EXPECT_EQ(b.colourTable, DeviceColourTable());

    EXPECT_FALSE(shown.Keep(LoadAndConvertIcon((dir / "none.bmp").string(), true, b)));
    EXPECT_FALSE(b.HasPixels());
    EXPECT_TRUE(b.pixels.empty());
    EXPECT_EQ(shown.Messages().size(), 1u);
}

}  // namespace
}  // namespace orv
