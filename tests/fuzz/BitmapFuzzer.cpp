// Arbitrary bytes through the whole way from a bitmap file to an icon block:
// load, convert, fit, encode. Besides what the sanitizers catch, a failed
// consistency check and an encoding that does not decode back to the picture
// count as faults.
#include <cstdint>
#include <vector>

#include "media/IconBitmap.h"
#include "media/IconBitmapFile.h"
#include "media/IconFit.h"
#include "media/IconImport.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

using orv::fuzz::Require;

// The icon block's pixel data as an RLE8 bitmap file with the device colours.
std::vector<uint8_t> AsRle8File(const std::vector<uint8_t>& block) {
    orv::IconBitmap blank;
    blank.infoHeader.width = orv::kIconWidth;
    blank.infoHeader.height = orv::kIconHeight;
    blank.pixels.resize(static_cast<size_t>(blank.Stride()) * orv::kIconHeight);
    std::vector<uint8_t> file = orv::IconBitmapFileBytes(blank);
    file.resize(orv::kBitmapFileHeaderBytes + orv::kBitmapInfoHeaderBytes + 4 * orv::kPaletteSize);
    file[orv::kBitmapFileHeaderBytes + 16] = orv::kCompressionRle8;
    file.insert(file.end(), block.begin() + orv::kIconBlockHeaderSize, block.end());
    return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    orv::fuzz::FuzzReporter::Install();

    orv::IconBitmap bitmap;
    if (!orv::LoadIconBitmapFromBytes({data, size}, "fuzz.bmp", bitmap).Ok()) {
        Require(bitmap.pixels.empty(), "a refused file leaves no pixels");
        return 0;
    }
    Require(bitmap.HasPixels(), "a loaded file has a whole picture");
    orv::ConvertToDevicePalette(bitmap);
    orv::FitToIconSize(bitmap, size % 2 == 0);
    Require(bitmap.Width() == orv::kIconWidth && bitmap.Height() == orv::kIconHeight,
            "fitting gives 74 x 62");
    Require(bitmap.HasPixels(), "fitting keeps a whole picture");

    std::vector<uint8_t> block = orv::EncodeIconImage(bitmap);
    Require(!block.empty() && block.size() <= 10000, "the block fits its 10000-byte buffer");
    orv::IconBitmap decoded;
    Require(orv::LoadIconBitmapFromBytes(AsRle8File(block), "block.bmp", decoded).Ok(),
            "the block decodes");
    for (int y = 0; y < orv::kIconHeight; ++y) {
        for (int x = 0; x < orv::kIconWidth; ++x) {
            Require(decoded.Row(y)[x] == bitmap.Row(y)[x], "the block decodes to the picture");
        }
    }
    return 0;
}
