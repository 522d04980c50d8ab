// Pictures of other formats made by Qt's own writers (PNG, 24-bit BMP, TIFF,
// JPEG) and the bitmap suite, read by the picture reader: few colours give the
// 8-bit bitmap's icon, photos come out upright, on white, filled or dithered.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <filesystem>
#include <set>

#include "appcore/PictureReader.h"
#include "core/StringTable.h"
#include "media/IconBitmap.h"
#include "media/MediaTexts.h"
#include "tests/common/TestSupport.h"
#include "tests/media/MediaTestSupport.h"

namespace orv {
namespace {

namespace fs = std::filesystem;
using test::CapturingReporter;
using test::MessageLog;
using test::TempDir;

std::string Save(const QImage& image, const fs::path& path, const char* format) {
    EXPECT_TRUE(image.save(QString::fromStdString(path.string()), format)) << path;
    return path.string();
}

// A picture that loads, and says nothing while it does.
IconBitmap Load(const std::string& path, IconChoices choices, PictureFacts* facts = nullptr) {
    IconBitmap bitmap;
    Outcome loaded = LoadPictureIcon(path, choices, bitmap, facts);
    EXPECT_TRUE(loaded.Ok()) << path;
    EXPECT_TRUE(loaded.Messages().empty()) << path;
    EXPECT_TRUE(bitmap.HasPixels());
    EXPECT_EQ(bitmap.Width(), kIconWidth);
    EXPECT_EQ(bitmap.Height(), kIconHeight);
    return bitmap;
}

std::set<uint8_t> IndicesOf(const IconBitmap& bitmap) {
    std::set<uint8_t> used;
    for (int y = 0; y < bitmap.Height(); ++y) {
        used.insert(bitmap.Row(y), bitmap.Row(y) + bitmap.Width());
    }
    return used;
}

// The device colour at (x, y), y = 0 the top row.
RgbQuad ColourAt(const IconBitmap& bitmap, int x, int y) {
    return DeviceColourTable()[bitmap.Row(bitmap.Height() - 1 - y)[x]];
}

constexpr IconFitting kFittings[] = {IconFitting::KeepAspect, IconFitting::Stretch,
                                     IconFitting::Crop};

TEST(PictureIcon, FewColoursGiveTheIconOfTheSameEightBitBitmap) {
    MessageLog shown;
    TempDir dir;
    // Twelve colours that take different roads through the colour rule.
    const std::vector<RgbQuad> colours = {
        {0, 0, 255, 0},   {255, 0, 0, 0},   {0, 255, 0, 0}, {128, 128, 128, 0},
        {40, 80, 160, 0}, {12, 20, 0, 0},   {0, 12, 20, 0}, {250, 250, 250, 0},
        {4, 4, 4, 0},     {70, 200, 90, 0}, {1, 2, 200, 0}, {130, 75, 18, 0},
    };
    auto index = [](int x, int y) { return (x * 7 + y * 3 + (x * y) % 5) % 12; };
    const int w = 37;
    const int h = 20;
    std::vector<uint8_t> bmp = test::MakePictureBmp(w, h, colours, index);
    const fs::path eightBit = dir / "eight.bmp";
    test::WriteFileBytes(eightBit, std::string(bmp.begin(), bmp.end()));
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const RgbQuad& q = colours[index(x, y)];
            image.setPixel(x, y, qRgb(q.red, q.green, q.blue));
        }
    }
    const std::string others[] = {Save(image, dir / "same.png", "PNG"),
                                  Save(image, dir / "same24.bmp", "BMP"),
                                  Save(image, dir / "same.tif", "TIFF")};
    for (IconFitting fitting : kFittings) {
        PictureFacts facts;
        const IconBitmap expected = Load(eightBit.string(), {fitting, std::nullopt}, &facts);
        EXPECT_FALSE(facts.manyColours);
        EXPECT_FALSE(facts.dithered);
        if (fitting != IconFitting::Crop) {
            // Byte for byte what the bitmap loader has always made.
            IconBitmap old;
            ASSERT_TRUE(shown.Keep(
                LoadAndConvertIcon(eightBit.string(), fitting == IconFitting::KeepAspect, old)));
            EXPECT_EQ(expected.pixels, old.pixels);
        }
        for (const std::string& other : others) {
            const IconBitmap icon = Load(other, {fitting, std::nullopt}, &facts);
            EXPECT_FALSE(facts.dithered) << other;
            EXPECT_EQ(icon.pixels, expected.pixels) << other << " fitting " << int(fitting);
        }
    }
    EXPECT_TRUE(shown.Messages().empty());
}

// A JPEG as a camera writes it: an EXIF block whose orientation 6 says the
// stored picture must be turned a quarter clockwise to stand upright.
QByteArray JpegWithOrientation(const QImage& image, int orientation) {
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, "JPEG", 95));
    const char exif[] = {
        '\xFF', '\xE1',
        0,      34,  // APP1, its length
        'E',    'x',
        'i',    'f',
        0,      0,  // the EXIF mark
        'M',    'M',
        0,      42,
        0,      0,
        0,      8,  // TIFF header, big-endian
        0,      1,  // one entry
        0x01,   0x12,
        0,      3,
        0,      0,
        0,      1,  // Orientation, SHORT, 1
        0,      static_cast<char>(orientation),
        0,      0,  // its value
        0,      0,
        0,      0,  // no further IFD
    };
    jpeg.insert(2, exif, sizeof exif);
    return jpeg;
}

TEST(PictureIcon, JpegWithExifOrientationSixComesOutUpright) {
    TempDir dir;
    // Stored sideways: red on the left, blue on the right.
    QImage stored(40, 20, QImage::Format_RGB32);
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 40; ++x) {
            stored.setPixel(x, y, x < 20 ? qRgb(230, 0, 0) : qRgb(0, 0, 230));
        }
    }
    auto isRed = [](const RgbQuad& q) { return q.red > 150 && q.blue < 60; };
    auto isBlue = [](const RgbQuad& q) { return q.blue > 150 && q.red < 60; };
    for (int orientation : {1, 6}) {
        const fs::path path = dir / ("photo" + std::to_string(orientation) + ".jpg");
        QByteArray jpeg = JpegWithOrientation(stored, orientation);
        test::WriteFileBytes(path, jpeg.toStdString());
        const IconBitmap icon = Load(path.string(), {IconFitting::Stretch, false});
        if (orientation == 1) {
            EXPECT_TRUE(isRed(ColourAt(icon, 5, 31)));
            EXPECT_TRUE(isBlue(ColourAt(icon, 68, 31)));
        } else {
            // Turned: the stored left edge is now the top.
            EXPECT_TRUE(isRed(ColourAt(icon, 37, 5)));
            EXPECT_TRUE(isBlue(ColourAt(icon, 37, 56)));
            EXPECT_TRUE(isRed(ColourAt(icon, 5, 5)) && isRed(ColourAt(icon, 68, 5)));
        }
    }
}

TEST(PictureIcon, TransparentPartsAreWhite) {
    TempDir dir;
    QImage image(60, 30, QImage::Format_ARGB32);
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 60; ++x) {
            image.setPixel(x, y, x < 30 ? qRgba(0, 0, 0, 0) : qRgba(0, 0, 255, 255));
        }
    }
    const std::string png = Save(image, dir / "cutout.png", "PNG");
    for (bool dither : {false, true}) {
        const IconBitmap icon = Load(png, {IconFitting::Stretch, dither});
        for (int y = 0; y < kIconHeight; ++y) {
            for (int x = 0; x < kIconWidth; ++x) {
                const uint8_t pixel = icon.Row(y)[x];
                if (x < 36) {
                    ASSERT_EQ(pixel, kWhiteIndex) << x << "," << y << " dither " << dither;
                } else if (x > 38) {
                    ASSERT_EQ(DeviceColourTable()[pixel].blue, 252) << x << "," << y;
                }
            }
        }
    }
}

// 200 x 100: green at both ends, a red gradient between them.
QImage WidePhoto() {
    QImage image(200, 100, QImage::Format_RGB32);
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 200; ++x) {
            image.setPixel(
                x, y, x < 40 || x >= 160 ? qRgb(0, 160, 0) : qRgb(90 + x / 2, y / 3, (x + y) % 40));
        }
    }
    return image;
}

TEST(PictureIcon, CropFillsTheIconWithTheMiddleOfAWidePicture) {
    TempDir dir;
    const std::string png = Save(WidePhoto(), dir / "wide.png", "PNG");
    auto hasGreen = [](const IconBitmap& icon) {
        for (uint8_t i : IndicesOf(icon)) {
            const RgbQuad& q = DeviceColourTable()[i];
            if (q.green > q.red) {
                return true;
            }
        }
        return false;
    };
    for (std::optional<bool> dither : {std::optional<bool>(), std::optional<bool>(false)}) {
        PictureFacts facts;
        const IconBitmap crop = Load(png, {IconFitting::Crop, dither}, &facts);
        EXPECT_TRUE(facts.manyColours);
        EXPECT_EQ(facts.dithered, !dither.has_value());
        EXPECT_EQ(IndicesOf(crop).count(kWhiteIndex), 0u);
        EXPECT_FALSE(hasGreen(crop));
        // The other fittings keep the green ends; keeping the shape adds white.
        const IconBitmap keep = Load(png, {IconFitting::KeepAspect, dither});
        EXPECT_EQ(keep.Row(0)[37], kWhiteIndex);
        EXPECT_EQ(keep.Row(61)[37], kWhiteIndex);
        EXPECT_TRUE(hasGreen(keep));
        EXPECT_TRUE(hasGreen(Load(png, {IconFitting::Stretch, dither})));
    }
}

TEST(PictureIcon, DitheringUsesMoreDeviceColoursOnAGradient) {
    TempDir dir;
    QImage image(300, 200, QImage::Format_RGB32);
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 300; ++x) {
            image.setPixel(x, y, qRgb(x * 255 / 299, x * 128 / 299, 255 - x * 255 / 299));
        }
    }
    const std::string png = Save(image, dir / "gradient.png", "PNG");
    PictureFacts facts;
    const IconBitmap dithered = Load(png, {IconFitting::Stretch, std::nullopt}, &facts);
    EXPECT_TRUE(facts.dithered);  // the default for many colours
    const IconBitmap plain = Load(png, {IconFitting::Stretch, false}, &facts);
    EXPECT_FALSE(facts.dithered);
    EXPECT_GT(IndicesOf(dithered).size(), IndicesOf(plain).size() + 5)
        << IndicesOf(dithered).size() << " against " << IndicesOf(plain).size();
    // Without dithering every column is one colour, as the colour rule gives it.
    for (int x = 0; x < kIconWidth; ++x) {
        for (int y = 1; y < kIconHeight; ++y) {
            ASSERT_EQ(plain.Row(y)[x], plain.Row(0)[x]) << x;
        }
    }
}

TEST(PictureIcon, FilesThatCannotBeReadAreToldApart) {
    TempDir dir;
    const std::string formats = ReadablePictureFormats();
    for (const char* format : {"BMP", "GIF", "JPEG", "PNG", "TIFF", "WebP"}) {
        EXPECT_NE(formats.find(format), std::string::npos) << formats;
    }
    QImage noise(50, 50, QImage::Format_RGB32);
    for (int i = 0; i < 2500; ++i) {
        noise.setPixel(i % 50, i / 50, qRgb(i * 37 % 256, i * 91 % 256, i * 13 % 256));
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(noise.save(&buffer, "PNG"));
    std::vector<uint8_t> bmp =
        test::MakePictureBmp(8, 8, test::GreyColours(4), [](int x, int) { return x % 4; });
    test::WriteFileBytes(dir / "notes.png", "Dear diary");
    test::WriteFileBytes(dir / "empty.jpg", "");
    test::WriteFileBytes(dir / "cut.png", png.left(300).toStdString());
    test::WriteFileBytes(dir / "cut.bmp", std::string(bmp.begin(), bmp.end() - 20));
    struct Case {
        std::string name;
        std::string message;
    };
    auto path = [&](const char* name) { return (dir / name).string(); };
    const Case cases[] = {
        {"notes.png", FormatString(IDM_PICTURE_UNKNOWN_FORMAT, path("notes.png"), formats)},
        {"empty.jpg", FormatString(IDM_PICTURE_UNKNOWN_FORMAT, path("empty.jpg"), formats)},
        {"cut.png", FormatString(IDM_PICTURE_DAMAGED, path("cut.png"), "PNG")},
        // An 8-bit bitmap keeps the bitmap loader's own messages.
        {"cut.bmp", FormatString(IDM_BITMAP_TRUNCATED, path("cut.bmp"))},
        {"none.png", FormatString(IDM_MEDIA_OPEN_FAILED, path("none.png"))},
    };
    for (const Case& c : cases) {
        MessageLog shown;
        IconBitmap bitmap;
        PictureFacts facts{true, true};
        EXPECT_FALSE(shown.Keep(LoadPictureIcon(path(c.name.c_str()), {}, bitmap, &facts)))
            << c.name;
        EXPECT_EQ(shown.Messages(), std::vector<std::string>{c.message});
        EXPECT_FALSE(bitmap.HasPixels());
        EXPECT_FALSE(facts.manyColours || facts.dithered);
    }
}

// Every file of the suite loads or is refused with one message; the 8-bit
// bitmaps the loader reads come out as they always have, and the pictures
// that used to be refused as not 256-colour bitmaps (other depths, newer
// headers) are icons now.
TEST(PictureIcon, EveryFileOfTheBitmapSuiteLoadsOrIsToldWhy) {
    const std::string internalError = LoadString(IDM_INTERNAL_ERROR).substr(0, 30);
    int files = 0;
    for (const char* folder : {"g", "q", "b"}) {
        for (const fs::directory_entry& entry : fs::directory_iterator(test::BmpSuite() / folder)) {
            const std::string name = std::string(folder) + "/" + entry.path().filename().string();
            const std::string path = entry.path().string();
            ++files;
            IconBitmap picture;
            std::vector<std::string> messages;
            bool loaded = false;
            {
                CapturingReporter reporter;  // internal errors land here
                MessageLog shown;
                loaded = shown.Keep(LoadPictureIcon(path, {}, picture));
                messages = shown.Messages();
                EXPECT_TRUE(reporter.Messages().empty()) << name;
            }
            IconBitmap old;
            const bool oldLoaded = LoadAndConvertIcon(path, true, old).Ok();
            if (oldLoaded) {
                EXPECT_TRUE(loaded) << name;
                EXPECT_EQ(picture.pixels, old.pixels) << name;
            }
            if (folder == std::string("g")) {
                EXPECT_TRUE(loaded) << name << ": " << testing::PrintToString(messages);
            }
            if (loaded) {
                EXPECT_TRUE(messages.empty()) << name;
                EXPECT_EQ(picture.Width(), kIconWidth) << name;
                EXPECT_EQ(picture.Height(), kIconHeight) << name;
            } else {
                ASSERT_EQ(messages.size(), 1u) << name;
                EXPECT_NE(messages[0].find(path), std::string::npos) << name << ": " << messages[0];
                EXPECT_EQ(messages[0].find(internalError), std::string::npos) << name;
                EXPECT_FALSE(picture.HasPixels()) << name;
            }
        }
    }
    EXPECT_GE(files, 50);
}

}  // namespace
}  // namespace orv
