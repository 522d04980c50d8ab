#include "media/IconBitmapFile.h"

#include <string_view>

#include "core/Errors.h"
#include "core/FileReplacement.h"
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

Outcome WriteIconBitmapFile(const IconBitmap& bitmap, const std::string& path) {
    Outcome outcome;
    std::vector<uint8_t> bytes = IconBitmapFileBytes(bitmap);
    if (bytes.empty()) {
        outcome.MarkFailed();  // reported as an internal error
        return outcome;
    }
    // Written beside the target and put in its place when complete, so a
    // failure leaves the earlier file, or none.
    try {
        ReplaceFileContents(
            path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    } catch (const FileError& e) {
        outcome.Fail(e);
    }
    return outcome;
}

}  // namespace orv
