// Reading 8-bit bitmap files, uncompressed or RLE8. Whatever a file claims,
// nothing is read or written outside the buffers: sizes are checked before
// anything is allocated and every pixel write is clipped to the picture.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "core/Errors.h"
#include "core/RegularFile.h"
#include "core/StringTable.h"
#include "media/IconBitmap.h"
#include "media/LittleEndian.h"
#include "media/MediaTexts.h"

namespace orv {
namespace {

// Where the file's bytes come from.
class ByteReader {
public:
    virtual ~ByteReader() = default;
    // Reads up to count bytes; fewer only at the end of the data.
    virtual size_t Read(uint8_t* dest, size_t count) = 0;
};

class SpanReader : public ByteReader {
public:
    explicit SpanReader(std::span<const uint8_t> bytes) : m_bytes(bytes) {}
    size_t Read(uint8_t* dest, size_t count) override {
        size_t n = std::min(count, m_bytes.size() - m_pos);
        if (n > 0) {
            std::memcpy(dest, m_bytes.data() + m_pos, n);
        }
        m_pos += n;
        return n;
    }

private:
    std::span<const uint8_t> m_bytes;
    size_t m_pos = 0;
};

class FileReader : public ByteReader {
public:
    FileReader(std::FILE* file, const std::string& path) : m_file(file), m_path(path) {}
    size_t Read(uint8_t* dest, size_t count) override {
        size_t n = std::fread(dest, 1, count, m_file);
        if (n < count && std::ferror(m_file)) {
            throw FileError::FromErrno(errno, m_path);
        }
        return n;
    }

private:
    std::FILE* m_file;
    const std::string& m_path;
};

// A reason to refuse the file, with the finished message.
struct Refusal {
    std::string message;
};

class BitmapDecoder {
public:
    BitmapDecoder(ByteReader& reader, const std::string& path, IconBitmap& bitmap)
        : m_reader(reader), m_path(path), m_bmp(bitmap) {}

    void Decode() {
        ReadHeaders();
        CheckHeaders();
        ReadColourTable();
        m_bmp.pixels.assign(static_cast<size_t>(m_bmp.Stride()) * m_height, 0);
        if (m_bmp.infoHeader.compression == kCompressionRle8) {
            DecodeRle8();
            m_bmp.infoHeader.compression = kCompressionNone;
        } else {
            ReadRows();
        }
        for (int i = 0; i < m_bmp.colourCount; ++i) {
            RgbQuad& q = m_bmp.colourTable[i];
            q.blue = static_cast<uint8_t>(q.blue >> 2);
            q.green = static_cast<uint8_t>(q.green >> 2);
            q.red = static_cast<uint8_t>(q.red >> 2);
        }
    }

private:
    [[noreturn]] void Refuse(int messageId) { throw Refusal{FormatString(messageId, m_path)}; }

    void ReadExactly(uint8_t* dest, size_t count) {
        if (m_reader.Read(dest, count) != count) {
            Refuse(IDM_BITMAP_TRUNCATED);
        }
    }

    void ReadHeaders() {
        uint8_t h[kBitmapFileHeaderBytes + kBitmapInfoHeaderBytes];
        if (m_reader.Read(h, sizeof h) != sizeof h) {
            RefuseNot256Colours();
        }
        BitmapFileHeader& f = m_bmp.fileHeader;
        f.type = ReadLe16(h);
        f.size = ReadLe32(h + 2);
        f.reserved1 = ReadLe16(h + 6);
        f.reserved2 = ReadLe16(h + 8);
        f.pixelOffset = ReadLe32(h + 10);
        const uint8_t* p = h + kBitmapFileHeaderBytes;
        BitmapInfoHeader& i = m_bmp.infoHeader;
        i.size = ReadLe32(p);
        i.width = static_cast<int32_t>(ReadLe32(p + 4));
        i.height = static_cast<int32_t>(ReadLe32(p + 8));
        i.planes = ReadLe16(p + 12);
        i.bitCount = ReadLe16(p + 14);
        i.compression = ReadLe32(p + 16);
        i.sizeImage = ReadLe32(p + 20);
        i.xPelsPerMeter = static_cast<int32_t>(ReadLe32(p + 24));
        i.yPelsPerMeter = static_cast<int32_t>(ReadLe32(p + 28));
        i.clrUsed = ReadLe32(p + 32);
        i.clrImportant = ReadLe32(p + 36);
    }

    [[noreturn]] void RefuseNot256Colours() {
        throw Refusal{m_path + LoadString(IDS_NOT_256_COLOURS)};
    }

    void CheckHeaders() {
        BitmapInfoHeader& info = m_bmp.infoHeader;
        if (m_bmp.fileHeader.type != kBitmapFileType || info.size != kBitmapInfoHeaderSize ||
            info.bitCount != 8) {
            RefuseNot256Colours();
        }
        if (info.compression != kCompressionNone && info.compression != kCompressionRle8) {
            Refuse(IDM_BITMAP_COMPRESSION);
        }
        // A negative height stands for a top-down bitmap; it is stored bottom up.
        const int64_t height = info.height < 0 ? -static_cast<int64_t>(info.height) : info.height;
        if (info.width <= 0 || height == 0) {
            Refuse(IDM_BITMAP_NO_SIZE);
        }
        if (info.width > kMaxBitmapSide || height > kMaxBitmapSide) {
            throw Refusal{
                FormatString(IDM_BITMAP_TOO_LARGE, m_path, std::to_string(kMaxBitmapSide))};
        }
        if (info.clrUsed > kPaletteSize) {
            Refuse(IDM_BITMAP_TOO_MANY_COLOURS);
        }
        m_topDown = info.height < 0;
        if (m_topDown && info.compression == kCompressionRle8) {
            Refuse(IDM_BITMAP_TOP_DOWN_RLE);
        }
        m_width = info.width;
        m_height = static_cast<int>(height);
        info.height = m_height;
        m_bmp.colourCount = info.clrUsed != 0 ? static_cast<int>(info.clrUsed) : kPaletteSize;
    }

    void ReadColourTable() {
        // Entries the file does not hold stay black.
        m_bmp.colourTable.fill(RgbQuad{});
        uint8_t raw[kPaletteSize * 4];
        ReadExactly(raw, static_cast<size_t>(m_bmp.colourCount) * 4);
        for (int i = 0; i < m_bmp.colourCount; ++i) {
            m_bmp.colourTable[i] = {raw[4 * i], raw[4 * i + 1], raw[4 * i + 2], raw[4 * i + 3]};
        }
    }

    // The pixel data follows the colour table directly.
    void ReadRows() {
        const size_t stride = static_cast<size_t>(m_bmp.Stride());
        for (int r = 0; r < m_height; ++r) {
            ReadExactly(m_bmp.Row(m_topDown ? m_height - 1 - r : r), stride);
        }
    }

    // Pixels the data leaves out keep the value 0, the file's first colour.
    // Writes beyond the end of a row are dropped, not wrapped.
    void DecodeRle8() {
        int x = 0;
        int y = 0;
        auto put = [&](uint8_t value) {
            if (x < m_width) {
                m_bmp.Row(y)[x++] = value;
            }
        };
        while (y < m_height) {
            uint8_t pair[2];
            if (m_reader.Read(pair, 2) != 2) {
                if (y == m_height - 1 && x == m_width) {
                    return;  // every pixel arrived; only the end code is missing
                }
                Refuse(IDM_BITMAP_TRUNCATED);
            }
            if (pair[0] > 0) {
                for (int n = 0; n < pair[0]; ++n) {
                    put(pair[1]);
                }
                continue;
            }
            switch (pair[1]) {
                case 0:  // end of line
                    x = 0;
                    ++y;
                    break;
                case 1:  // end of bitmap
                    return;
                case 2: {  // delta: move right and up, skipping pixels
                    uint8_t delta[2];
                    ReadExactly(delta, 2);
                    x = std::min(x + delta[0], m_width);
                    y += delta[1];
                    break;
                }
                default: {  // absolute run, padded to a whole word
                    uint8_t run[256];
                    const size_t count = pair[1] + (pair[1] & 1);
                    ReadExactly(run, count);
                    for (int n = 0; n < pair[1]; ++n) {
                        put(run[n]);
                    }
                    break;
                }
            }
        }
    }

    ByteReader& m_reader;
    const std::string& m_path;
    IconBitmap& m_bmp;
    int m_width = 0;
    int m_height = 0;
    bool m_topDown = false;
};

Outcome LoadFrom(ByteReader& reader, const std::string& path, IconBitmap& bitmap) {
    bitmap.Clear();
    Outcome outcome;
    try {
        BitmapDecoder(reader, path, bitmap).Decode();
        return outcome;
    } catch (const Refusal& refusal) {
        bitmap.Clear();
        outcome.Fail(refusal.message, MessageIcon::None);
    } catch (const FileError& error) {
        bitmap.Clear();
        outcome.Fail(error);
    } catch (const std::bad_alloc&) {
        bitmap.Clear();
        outcome.Fail(LoadString(IDS_OUT_OF_MEMORY), MessageIcon::None);
    }
    return outcome;
}

}  // namespace

void IconBitmap::Clear() {
    fileHeader = {};
    infoHeader = {};
    colourTable.fill(RgbQuad{});
    colourCount = 0;
    pixels.clear();
    pixels.shrink_to_fit();
}

Outcome LoadIconBitmap(const std::string& path, IconBitmap& bitmap) {
    Outcome outcome;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(nullptr, &std::fclose);
    try {
        int fd = OpenRegularFile(path, O_RDONLY);
        file.reset(::fdopen(fd, "rb"));
        if (!file) {
            ::close(fd);
        }
    } catch (const FileError& e) {
        // A folder, a pipe or a device is told as what it is.
        if (IsNotAFile(e.Cause())) {
            bitmap.Clear();
            outcome.Fail(e);
            return outcome;
        }
    }
    if (!file) {
        bitmap.Clear();
        outcome.Fail(FormatString(IDM_MEDIA_OPEN_FAILED, path), MessageIcon::None);
        return outcome;
    }
    FileReader reader(file.get(), path);
    return LoadFrom(reader, path, bitmap);
}

Outcome LoadIconBitmapFromBytes(std::span<const uint8_t> bytes, const std::string& path,
                                IconBitmap& bitmap) {
    SpanReader reader(bytes);
    return LoadFrom(reader, path, bitmap);
}

}  // namespace orv
