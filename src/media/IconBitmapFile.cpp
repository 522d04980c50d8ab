#include "media/IconBitmapFile.h"

#include <cerrno>
#include <cstdio>
#include <memory>

#include "core/Errors.h"
#include "media/LittleEndian.h"

namespace orv {
std::vector<uint8_t> IconBitmapFileBytes(const IconBitmap& bitmap) {
    if (!bitmap.HasPixels() || bitmap.Width() != kIconWidth || bitmap.Height() != kIconHeight) {
        ORV_INTERNAL_ERROR();
        return {};
    }
    const int stride = IconBitmap::StrideFor(kIconWidth);
    const uint32_t pixelOffset = kBitmapFileHeaderBytes + kBitmapInfoHeaderBytes + 4 * kPaletteSize;
    const uint32_t pixelBytes = static_cast<uint32_t>(stride * kIconHeight);
    std::vector<uint8_t> out;
    out.reserve(pixelOffset + pixelBytes);

    AppendLe16(out, kBitmapFileType);
    AppendLe32(out, pixelOffset + pixelBytes);
    AppendLe32(out, 0);  // two reserved words
    AppendLe32(out, pixelOffset);

    AppendLe32(out, kBitmapInfoHeaderSize);
    AppendLe32(out, kIconWidth);
    AppendLe32(out, kIconHeight);
    AppendLe16(out, 1);  // planes
    AppendLe16(out, 8);  // bits per pixel
    AppendLe32(out, kCompressionNone);
    AppendLe32(out, pixelBytes);
    AppendLe32(out, 0);  // no resolution
    AppendLe32(out, 0);
    AppendLe32(out, kPaletteSize);  // colours used
    AppendLe32(out, 0);             // all of them important

    for (const RgbQuad& q : DeviceColourTable()) {
        out.insert(out.end(), {q.blue, q.green, q.red, q.reserved});
    }
    for (int y = 0; y < kIconHeight; ++y) {
        const uint8_t* row = bitmap.Row(y);
        out.insert(out.end(), row, row + kIconWidth);
        out.resize(out.size() + (stride - kIconWidth), 0);
    }
    return out;
}

bool WriteIconBitmapFile(const IconBitmap& bitmap, const std::string& path) {
    std::vector<uint8_t> bytes = IconBitmapFileBytes(bitmap);
    if (bytes.empty()) {
        return false;
    }
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"),
                                                         &std::fclose);
    if (!file) {
        ReportFileError(FileError::FromErrno(errno, path));
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    int err = errno;
    if (std::fclose(file.release()) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ReportFileError(FileError::FromErrno(err, path));
    }
    return ok;
}

}  // namespace orv
