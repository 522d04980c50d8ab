// Bitmaps made by other programs. Every file of the bitmap suite (good,
// questionable and bad bitmaps) either loads and becomes an icon, or is
// refused with one message; none may crash the loader or make it touch memory
// it does not own.
#include <gtest/gtest.h>

#include <set>

#include "core/StringTable.h"
#include "media/IconBitmap.h"
#include "media/IconImport.h"
#include "tests/common/TestSupport.h"
#include "tests/media/MediaTestSupport.h"

namespace orv {
namespace {

namespace fs = std::filesystem;
using test::BmpSuite;
using test::CapturingReporter;
using test::MessageLog;
using test::RowOf;

// The files that are 8-bit bitmaps with the 40-byte header this loader reads.
const std::set<std::string> kLoadable = {
    "b/badrle.bmp",      "b/badrlebis.bmp",   "b/badrleter.bmp",      "b/pal8badindex.bmp",
    "g/pal8-0.bmp",      "g/pal8.bmp",        "g/pal8gs.bmp",         "g/pal8nonsquare.bmp",
    "g/pal8rle.bmp",     "g/pal8topdown.bmp", "g/pal8w124.bmp",       "g/pal8w125.bmp",
    "g/pal8w126.bmp",    "q/pal8offs.bmp",    "q/pal8os2v2-40sz.bmp", "q/pal8rlecut.bmp",
    "q/pal8rletrns.bmp",
};

TEST(BmpSuite, EveryFileLoadsOrIsRefusedWithAMessage) {
    const std::string internalError = LoadString(IDM_INTERNAL_ERROR).substr(0, 30);
    std::set<std::string> loaded;
    int files = 0;
    for (const char* folder : {"g", "q", "b"}) {
        for (const fs::directory_entry& entry : fs::directory_iterator(BmpSuite() / folder)) {
            const std::string name = std::string(folder) + "/" + entry.path().filename().string();
            const std::string path = entry.path().string();
            ++files;
            CapturingReporter reporter;  // internal errors land here
            MessageLog shown;
            IconBitmap b;
            if (shown.Keep(LoadAndConvertIcon(path, true, b))) {
                loaded.insert(name);
                EXPECT_TRUE(shown.Messages().empty()) << name;
                EXPECT_EQ(b.Width(), kIconWidth) << name;
                EXPECT_EQ(b.Height(), kIconHeight) << name;
                EXPECT_FALSE(EncodeIconImage(b).empty()) << name;
            } else {
                const std::vector<std::string> messages = shown.Messages();
                ASSERT_EQ(messages.size(), 1u) << name;
                EXPECT_NE(messages[0].find(path), std::string::npos) << name << ": " << messages[0];
                EXPECT_FALSE(b.HasPixels()) << name;
            }
            for (const std::string& message : reporter.Messages()) {
                EXPECT_EQ(message.find(internalError), std::string::npos) << name;
            }
            EXPECT_TRUE(reporter.Messages().empty()) << name;
        }
    }
    EXPECT_GE(files, 50);
    EXPECT_EQ(loaded, kLoadable);
}

TEST(BmpSuite, OtherBitDepthsAreNot256ColourBitmaps) {
    for (const char* name : {"g/rgb24.bmp", "g/pal4.bmp", "g/pal1.bmp", "g/pal8v5.bmp"}) {
        MessageLog shown;
        const std::string path = (BmpSuite() / name).string();
        IconBitmap b;
        EXPECT_FALSE(shown.Keep(LoadIconBitmap(path, b))) << name;
        EXPECT_EQ(shown.Messages(), std::vector<std::string>{path + " is not a 256 color bitmap."});
    }
}

// The same picture stored in different ways gives the same pixels.
TEST(BmpSuite, RleAndTopDownFilesMatchThePlainOne) {
    MessageLog shown;
    IconBitmap plain;
    ASSERT_TRUE(shown.Keep(LoadIconBitmap((BmpSuite() / "g/pal8.bmp").string(), plain)));
    for (const char* name : {"g/pal8rle.bmp", "g/pal8topdown.bmp"}) {
        IconBitmap other;
        ASSERT_TRUE(shown.Keep(LoadIconBitmap((BmpSuite() / name).string(), other))) << name;
        ASSERT_EQ(other.Width(), plain.Width());
        ASSERT_EQ(other.Height(), plain.Height());
        for (int y = 0; y < plain.Height(); ++y) {
            ASSERT_EQ(RowOf(other, y), RowOf(plain, y)) << name << " row " << y;
        }
    }
}

// Pictures written by ImageMagick (the fuzzer's seeds), once uncompressed and
// once with its RLE8 encoder.
TEST(BmpSuite, ImageMagickRle8MatchesItsUncompressedFile) {
    MessageLog shown;
    const fs::path seeds = test::SourceDir() / "tests" / "fuzz" / "corpus" / "bitmap";
    for (const char* size : {"74x62", "37x31", "7x5"}) {
        IconBitmap plain;
        IconBitmap rle;
        ASSERT_TRUE(shown.Keep(
            LoadIconBitmap((seeds / ("plain-" + std::string(size) + ".bmp")).string(), plain)));
        ASSERT_TRUE(shown.Keep(
            LoadIconBitmap((seeds / ("rle-" + std::string(size) + ".bmp")).string(), rle)));
        ASSERT_EQ(rle.Width(), plain.Width());
        ASSERT_EQ(rle.Height(), plain.Height());
        EXPECT_EQ(rle.colourTable, plain.colourTable);
        for (int y = 0; y < plain.Height(); ++y) {
            ASSERT_EQ(RowOf(rle, y), RowOf(plain, y)) << size << " row " << y;
        }
    }
}

}  // namespace
}  // namespace orv
