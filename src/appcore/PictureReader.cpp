#include "appcore/PictureReader.h"

#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <new>
#include <optional>
#include <vector>

#include "core/Errors.h"
#include "core/RegularFile.h"
#include "core/StringTable.h"
#include "media/LittleEndian.h"
#include "media/MediaTexts.h"
#include "media/PictureColours.h"

namespace orv {
namespace {

// The common formats by the name Qt's readers go by, and as the user knows
// them; the file name patterns each is found under.
struct KnownFormat {
    const char* reader;
    const char* shown;
    const char* patterns;
};
constexpr KnownFormat kKnownFormats[] = {
    {"bmp", "BMP", "*.bmp;*.rle"},    {"gif", "GIF", "*.gif"},
    {"jpeg", "JPEG", "*.jpg;*.jpeg"}, {"png", "PNG", "*.png"},
    {"tiff", "TIFF", "*.tif;*.tiff"}, {"webp", "WebP", "*.webp"},
};

std::vector<const KnownFormat*> InstalledFormats() {
    const QList<QByteArray> supported = QImageReader::supportedImageFormats();
    std::vector<const KnownFormat*> formats;
    for (const KnownFormat& f : kKnownFormats) {
        if (supported.contains(QByteArray(f.reader))) {
            formats.push_back(&f);
        }
    }
    return formats;
}

std::string ShownFormatName(const QByteArray& reader) {
    for (const KnownFormat& f : kKnownFormats) {
        if (reader == f.reader) {
            return f.shown;
        }
    }
    return reader.toUpper().toStdString();
}

// The files the bitmap loader has always read: "BM", the 40-byte header and
// 8 bits a pixel. They keep its pixels, its conversion and its messages.
bool IsEightBitBitmap(const uint8_t* head, size_t size) {
    return size >= kBitmapFileHeaderBytes + kBitmapInfoHeaderBytes &&
           ReadLe16(head) == kBitmapFileType &&
           ReadLe32(head + kBitmapFileHeaderBytes) == kBitmapInfoHeaderSize &&
           ReadLe16(head + kBitmapFileHeaderBytes + 14) == 8;
}

RgbPixels PixelsOf(const QImage& rgb32) {
    return {reinterpret_cast<const uint32_t*>(rgb32.constBits()), rgb32.width(), rgb32.height(),
            static_cast<size_t>(rgb32.bytesPerLine()) / 4};
}

// The picture as opaque 24-bit colour: transparent parts show the white of
// the icon's background, half-transparent ones a mix with it.
QImage OnWhite(const QImage& image) {
    if (!image.hasAlphaChannel()) {
        return image.convertToFormat(QImage::Format_RGB32);
    }
    QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    if (argb.isNull()) {
        return argb;
    }
    for (int y = 0; y < argb.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(argb.scanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            const int a = qAlpha(row[x]);
            auto mix = [a](int c) { return (c * a + 255 * (255 - a) + 127) / 255; };
            row[x] = qRgb(mix(qRed(row[x])), mix(qGreen(row[x])), mix(qBlue(row[x])));
        }
    }
    argb.reinterpretAsFormat(QImage::Format_RGB32);
    return argb;
}

// A loaded 8-bit bitmap (colours in 6 bits) as a 24-bit picture, top row first.
QImage ImageOfBitmap(const IconBitmap& bitmap) {
    QImage image(bitmap.Width(), bitmap.Height(), QImage::Format_RGB32);
    if (image.isNull()) {
        return image;
    }
    auto widen = [](int v) { return (v << 2) | (v >> 4); };
    for (int y = 0; y < bitmap.Height(); ++y) {
        const uint8_t* src = bitmap.Row(bitmap.Height() - 1 - y);
        auto* dst = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < bitmap.Width(); ++x) {
            // Pixels beyond the file's colours show black, as in the conversion.
            const RgbQuad q = src[x] < bitmap.colourCount ? bitmap.colourTable[src[x]] : RgbQuad{};
            dst[x] = qRgb(widen(q.red), widen(q.green), widen(q.blue));
        }
    }
    return image;
}

// Scales the part of the picture that the fitting keeps smoothly, in full
// colour, to its place in the icon, and diffuses the colours into the palette.
bool DitherPicture(const QImage& rgb, IconFitting fitting, IconBitmap& bitmap) {
    const IconFitPlan plan = PlanIconFit(rgb.width(), rgb.height(), fitting);
    QImage part = rgb.copy(plan.sourceX, plan.sourceY, plan.sourceWidth, plan.sourceHeight)
                      .scaled(plan.iconWidth, plan.iconHeight, Qt::IgnoreAspectRatio,
                              Qt::SmoothTransformation)
                      .convertToFormat(QImage::Format_RGB32);
    return !part.isNull() && DitherIntoIcon(PixelsOf(part), plan, bitmap);
}

bool TooLarge(const QSize& size) {
    return size.width() > kMaxBitmapSide || size.height() > kMaxBitmapSide;
}

class PictureLoad {
public:
    PictureLoad(const std::string& path, const IconChoices& choices, IconBitmap& bitmap,
                Outcome& outcome)
        : m_path(path), m_choices(choices), m_bitmap(bitmap), m_outcome(outcome) {}

    bool Run(PictureFacts& facts) {
        std::optional<FileHandle> file;
        try {
            file.emplace(OpenRegularFile(m_path, O_RDONLY));
        } catch (const FileError& e) {
            // A folder, a pipe or a device is told as what it is.
            if (IsNotAFile(e.Cause())) {
                m_outcome.Fail(e);
            } else {
                Refuse(FormatString(IDM_MEDIA_OPEN_FAILED, m_path));
            }
            return false;
        }
        uint8_t head[kBitmapFileHeaderBytes + kBitmapInfoHeaderBytes];
        const size_t got = ReadUpTo(file->Fd(), head, sizeof head, m_path);
        if (IsEightBitBitmap(head, got)) {
            file.reset();
            return FromEightBitBitmap(facts);
        }
        if (::lseek(file->Fd(), 0, SEEK_SET) != 0) {
            throw FileError::FromErrno(errno, m_path);
        }
        return FromImageReader(file->Fd(), facts);
    }

private:
    bool FromEightBitBitmap(PictureFacts& facts) {
        m_outcome.Add(LoadIconBitmap(m_path, m_bitmap));
        if (!m_outcome.Ok()) {
            return false;
        }
        facts.dithered = m_choices.dither.value_or(false);
        if (!facts.dithered) {
            ConvertToDevicePalette(m_bitmap);
            FitToIconSize(m_bitmap, m_choices.fitting);
            return true;
        }
        QImage image = ImageOfBitmap(m_bitmap);
        return Finish(image.isNull() ? false : DitherPicture(image, m_choices.fitting, m_bitmap));
    }

    bool FromImageReader(int fd, PictureFacts& facts) {
        QFile device;
        if (!device.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle)) {
            Refuse(FormatString(IDM_MEDIA_OPEN_FAILED, m_path));
            return false;
        }
        QImageReader reader(&device);
        reader.setAutoTransform(true);
        // The side limit comes first; this only keeps the reader from
        // refusing a picture within it that takes more room while decoding.
        reader.setAllocationLimit(1024);
        if (!reader.canRead()) {
            Refuse(FormatString(IDM_PICTURE_UNKNOWN_FORMAT, m_path, ReadablePictureFormats()));
            return false;
        }
        const std::string format = ShownFormatName(reader.format());
        if (TooLarge(reader.size())) {
            return RefuseTooLarge();
        }
        QImage image;
        if (!reader.read(&image) || image.isNull()) {
            if (reader.error() == QImageReader::DeviceError) {
                throw FileError::FromErrno(errno != 0 ? errno : EIO, m_path);
            }
            Refuse(FormatString(IDM_PICTURE_DAMAGED, m_path, format));
            return false;
        }
        if (TooLarge(image.size())) {
            return RefuseTooLarge();
        }
        QImage rgb = OnWhite(image);
        image = QImage();
        if (rgb.isNull()) {
            throw std::bad_alloc();
        }
        facts.manyColours = CountColours(PixelsOf(rgb), kPaletteSize + 1) > kPaletteSize;
        facts.dithered = m_choices.dither.value_or(facts.manyColours);
        if (facts.dithered) {
            return Finish(DitherPicture(rgb, m_choices.fitting, m_bitmap));
        }
        if (!Finish(MapToDevicePalette(PixelsOf(rgb), m_bitmap))) {
            return false;
        }
        FitToIconSize(m_bitmap, m_choices.fitting);
        return true;
    }

    bool RefuseTooLarge() {
        Refuse(FormatString(IDM_BITMAP_TOO_LARGE, m_path, std::to_string(kMaxBitmapSide)));
        return false;
    }

    void Refuse(std::string message) { m_outcome.Fail(std::move(message), MessageIcon::None); }

    // A step that can only fail for want of memory.
    bool Finish(bool done) {
        if (!done) {
            throw std::bad_alloc();
        }
        return true;
    }

    const std::string& m_path;
    const IconChoices& m_choices;
    IconBitmap& m_bitmap;
    Outcome& m_outcome;
};

}  // namespace

Outcome LoadPictureIcon(const std::string& path, const IconChoices& choices, IconBitmap& bitmap,
                        PictureFacts* facts) {
    bitmap.Clear();
    PictureFacts found;
    Outcome outcome;
    bool loaded = false;
    try {
        loaded = PictureLoad(path, choices, bitmap, outcome).Run(found);
    } catch (const FileError& e) {
        outcome.Fail(e);
    } catch (const std::bad_alloc&) {
        outcome.Fail(LoadString(IDS_OUT_OF_MEMORY), MessageIcon::None);
    }
    if (!loaded) {
        bitmap.Clear();
        found = {};
    }
    if (facts) {
        *facts = found;
    }
    // Every refusal above carries its message.
    if (!ORV_CHECK(loaded || !outcome.Ok())) {
        outcome.MarkFailed();
    }
    return outcome;
}

std::string ReadablePictureFormats() {
    std::vector<const KnownFormat*> formats = InstalledFormats();
    std::string text;
    for (size_t i = 0; i < formats.size(); ++i) {
        if (i > 0) {
            text += i + 1 == formats.size() ? " and " : ", ";
        }
        text += formats[i]->shown;
    }
    return text;
}

std::string PicturePatterns() {
    std::string patterns;
    for (const KnownFormat* f : InstalledFormats()) {
        patterns += (patterns.empty() ? "" : ";") + std::string(f->patterns);
    }
    return patterns;
}

}  // namespace orv
