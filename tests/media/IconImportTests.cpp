#include <gtest/gtest.h>

#include <random>

#include "core/StringTable.h"
#include "media/IconImport.h"
#include "media/LittleEndian.h"
#include "tests/common/TestSupport.h"
#include "tests/media/MediaTestSupport.h"

namespace orv {
namespace {

using test::CapturingReporter;
using test::ImportRecord;
using test::MakePicture;
using test::MessageLog;
using test::ParseImportRecords;
using test::SequenceOf;

// The encoding of row y (its bytes up to and including the end-of-line pair).
std::vector<uint8_t> EncodedRow(const std::vector<uint8_t>& block, int y) {
    size_t pos = kIconBlockHeaderSize;
    for (int row = 0;; ++row) {
        size_t start = pos;
        // Walk the codes: (n, v) runs, (0, n) absolute runs, (0, 0) end of line.
        for (;;) {
            uint8_t a = block.at(pos);
            uint8_t b = block.at(pos + 1);
            pos += 2;
            if (a == 0 && b == 0) {
                break;
            }
            if (a == 0) {
                pos += b + (b & 1);
            }
        }
        if (row == y) {
            return std::vector<uint8_t>(block.begin() + start, block.begin() + pos);
        }
    }
}

TEST(EncodeIconImage, OneColourRowsAreSingleRuns) {
    IconBitmap b = MakePicture(74, 62, [](int, int y) { return y + 10; });
    std::vector<uint8_t> block = EncodeIconImage(b);
    ASSERT_EQ(block.size(), 18u + 62 * 4 + 2);
    EXPECT_EQ(block[0], 'K');
    EXPECT_EQ(block[1], 'W');
    EXPECT_EQ(ReadLe32(block.data() + 2), 18u);
    EXPECT_EQ(ReadLe32(block.data() + 6), 74u);
    EXPECT_EQ(ReadLe32(block.data() + 10), 62u);
    EXPECT_EQ(ReadLe32(block.data() + 14), block.size() - 18);
    for (int y = 0; y < 62; ++y) {
        EXPECT_EQ(EncodedRow(block, y),
                  (std::vector<uint8_t>{74, static_cast<uint8_t>(y + 10), 0, 0}));
    }
    EXPECT_EQ(block[block.size() - 2], 0);
    EXPECT_EQ(block.back(), 1);
}

TEST(EncodeIconImage, RowWithoutRunsIsOneAbsoluteRun) {
    IconBitmap b = MakePicture(74, 62, [](int x, int) { return x % 2 ? 7 : 8; });
    std::vector<uint8_t> expected = {0, 74};
    for (int x = 0; x < 74; ++x) {
        expected.push_back(x % 2 ? 7 : 8);
    }
    expected.insert(expected.end(), {0, 0});  // 74 is even: no alignment byte
    EXPECT_EQ(EncodedRow(EncodeIconImage(b), 0), expected);
}

TEST(EncodeIconImage, MixesRunsAndLiterals) {
    // 1 2 | 5 5 5 | 3 4 6 | 9 x 66
    const std::vector<uint8_t> first = {1, 2, 5, 5, 5, 3, 4, 6};
    // 7 x 72 | 1 2: the last two pixels cannot start a run
    IconBitmap b = MakePicture(74, 62, [&](int x, int y) {
        if (y == 0) {
            return x < 8 ? first[x] : 9;
        }
        return x < 72 ? 7 : x - 71;
    });
    std::vector<uint8_t> block = EncodeIconImage(b);
    EXPECT_EQ(EncodedRow(block, 0),
              (std::vector<uint8_t>{1, 1, 1, 2, 3, 5, 0, 3, 3, 4, 6, 0, 66, 9, 0, 0}));
    EXPECT_EQ(EncodedRow(block, 1), (std::vector<uint8_t>{72, 7, 1, 1, 1, 2, 0, 0}));
}

TEST(EncodeIconImage, DecodesBackToThePicture) {
    MessageLog shown;
    std::mt19937 random(6);
    std::vector<uint8_t> values(74 * 62);
    for (size_t i = 0; i < values.size(); ++i) {
        // Short stretches of repeats among noise.
        values[i] = random() % 4 == 0 && i > 0 ? values[i - 1] : static_cast<uint8_t>(random() % 5);
    }
    IconBitmap picture = MakePicture(74, 62, [&](int x, int y) { return values[y * 74 + x]; });
    std::vector<uint8_t> block = EncodeIconImage(picture);
    ASSERT_LT(block.size(), 10000u);

    test::BmpFields fields;
    fields.width = 74;
    fields.height = 62;
    fields.compression = 1;
    fields.colours = test::GreyColours(5);
    fields.clrUsed = 5;
    fields.data.assign(block.begin() + 18, block.end());
    IconBitmap decoded;
    ASSERT_TRUE(shown.Keep(test::LoadBytes(test::MakeBmp(fields), decoded)));
    for (int y = 0; y < 62; ++y) {
        ASSERT_EQ(test::RowOf(decoded, y), test::RowOf(picture, y)) << y;
    }
}

TEST(EncodeIconImage, RefusesAPictureOfAnotherSize) {
    CapturingReporter reporter;
    EXPECT_TRUE(EncodeIconImage(MakePicture(73, 62, [](int, int) { return 1; })).empty());
    EXPECT_EQ(reporter.Messages().size(), 1u);
}

// The block's pieces joined again, checking their numbers.
std::vector<uint8_t> JoinPieces(const std::vector<ImportRecord>& records, size_t first,
                                size_t count) {
    std::vector<uint8_t> joined;
    for (size_t i = 0; i < count; ++i) {
        const ImportRecord& r = records.at(first + i);
        EXPECT_EQ(r.letter, 'n');
        EXPECT_EQ(SequenceOf(r), static_cast<int>(i));
        EXPECT_LE(r.payload.size(), 34u);
        joined.insert(joined.end(), r.payload.begin() + 2, r.payload.end());
    }
    return joined;
}

TEST(AppendIconRecords, WritesANamedHeaderAndNumberedPieces) {
    MessageLog shown;
    test::TempDir dir;
    const std::string file = (dir / kIconImportFileName).string();
    std::vector<uint8_t> block(70);
    for (size_t i = 0; i < block.size(); ++i) {
        block[i] = static_cast<uint8_t>(i * 7);
    }
    ASSERT_TRUE(shown.Keep(AppendIconRecords("CAT", block, file)));
    const std::string text = test::ReadFileBytes(file);
    EXPECT_EQ(text.substr(0, 25), "N091C434154000000000002\r\n");
    // 70 bytes: pieces of 32, 32 and 6.
    std::vector<ImportRecord> records = ParseImportRecords(text);
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[3].payload.size(), 8u);
    EXPECT_EQ(JoinPieces(records, 1, 3), block);
    EXPECT_EQ(text.substr(25, 7), "n220000");
    EXPECT_TRUE(shown.Messages().empty());
}

TEST(AppendIconRecords, EachIconIsNumberedFromZero) {
    MessageLog shown;
    test::TempDir dir;
    const std::string file = (dir / kIconImportFileName).string();
    IconBitmap one = MakePicture(74, 62, [](int x, int y) { return (x * y) % 13; });
    IconBitmap two = MakePicture(74, 62, [](int x, int) { return x % 3; });
    std::vector<uint8_t> first = EncodeIconImage(one);
    std::vector<uint8_t> second = EncodeIconImage(two);
    ASSERT_TRUE(shown.Keep(AppendIconRecords("Abcdefgh", first, file)));
    ASSERT_TRUE(shown.Keep(AppendIconRecords("b", second, file)));

    std::vector<ImportRecord> records = ParseImportRecords(test::ReadFileBytes(file));
    const size_t firstCount = (first.size() + 31) / 32;
    const size_t secondCount = (second.size() + 31) / 32;
    ASSERT_EQ(records.size(), 2 + firstCount + secondCount);
    // An 8-character name fills the field; a shorter one is padded with zeros.
    EXPECT_EQ(records[0].letter, 'N');
    EXPECT_EQ(records[0].payload,
              (std::vector<uint8_t>{0x1C, 'A', 'b', 'c', 'd', 'e', 'f', 'g', 'h'}));
    EXPECT_EQ(JoinPieces(records, 1, firstCount), first);
    const ImportRecord& header = records[1 + firstCount];
    EXPECT_EQ(header.letter, 'N');
    EXPECT_EQ(header.payload, (std::vector<uint8_t>{0x1C, 'b', 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(JoinPieces(records, 2 + firstCount, secondCount), second);
}

TEST(AppendIconRecords, FileThatCannotBeOpenedIsReported) {
    MessageLog shown;
    test::TempDir dir;
    EXPECT_FALSE(shown.Keep(
        AppendIconRecords("CAT", {1, 2, 3}, (dir / "no" / kIconImportFileName).string())));
    EXPECT_EQ(shown.Messages(), std::vector<std::string>{"Error opening \"Icons to Import.ORV\"."});
}

TEST(AppendIconRecords, FullDiskIsReportedAndLeavesTheIconsBefore) {
    MessageLog shown;
    test::TempDir dir;
    const std::string path = (dir / kIconImportFileName).string();
    ASSERT_TRUE(shown.Keep(AppendIconRecords("CAT", {1, 2, 3}, path)));
    const std::string before = test::ReadFileBytes(path);
    {
        test::FileSizeLimit full(before.size() + 100);
        EXPECT_FALSE(shown.Keep(AppendIconRecords("DOG", std::vector<uint8_t>(500, 7), path)));
    }
    EXPECT_EQ(shown.Messages(),
              std::vector<std::string>{path + " could not be written because the disk is full."});
    EXPECT_EQ(test::ReadFileBytes(path), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(DeleteImportFile, MissingFileIsNoErrorButAFolderIs) {
    MessageLog shown;
    test::TempDir dir;
    const std::string file = (dir / kIconImportFileName).string();
    test::WriteFileBytes(file, "old icons");
    EXPECT_TRUE(shown.Keep(DeleteImportFile(file)));
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_TRUE(shown.Keep(DeleteImportFile(file)));
    EXPECT_TRUE(shown.Messages().empty());
    std::filesystem::create_directory(file);
    EXPECT_FALSE(shown.Keep(DeleteImportFile(file)));
    EXPECT_EQ(shown.Messages().size(), 1u);
}

TEST(IconNames, DefaultNameAndLabelComeFromTheFileName) {
    EXPECT_EQ(DefaultIconName("/home/u/my pic.bmp"), "my");
    EXPECT_EQ(DefaultIconName("2cats.bmp"), "2cats");
    EXPECT_EQ(DefaultIconName("dir.v2/abcdefghijk.bmp"), "abcdefgh");
    EXPECT_EQ(DefaultIconName("abcdefg.hij.bmp"), "abcdefg");
    EXPECT_EQ(DefaultIconName("a-b_c.rle"), "a-b_c");
    EXPECT_EQ(DefaultIconName("plain"), "plain");
    EXPECT_EQ(DefaultIconName(".bmp"), "");
    EXPECT_EQ(DefaultIconName("caf\xc3\xa9.bmp"), "caf");
    EXPECT_EQ(IconNameLabel("/home/u/my pic.bmp"), "Icon &Name for my pic.bmp");
}

TEST(IconNames, RulesAreCheckedInOrder) {
    EXPECT_EQ(CheckIconName(""), IDS_ICON_NAME_EMPTY);
    EXPECT_EQ(CheckIconName("2cats"), IDS_ICON_NAME_NOT_ALPHA);
    EXPECT_EQ(CheckIconName("_x"), IDS_ICON_NAME_NOT_ALPHA);
    EXPECT_EQ(CheckIconName("\xc3\xa9t\xc3\xa9"), IDS_ICON_NAME_NOT_ALPHA);
    EXPECT_EQ(CheckIconName("my pic"), IDS_ICON_NAME_INVALID);
    EXPECT_EQ(CheckIconName("a.b"), IDS_ICON_NAME_INVALID);
    EXPECT_EQ(CheckIconName("Cat-9_z"), 0);
    EXPECT_EQ(LoadString(CheckIconName("my pic")),
              "Icon names may contain only letters (A-Z, a-z), digits (0-9), hyphens (-) and "
              "underscores (_).");
}

}  // namespace
}  // namespace orv
