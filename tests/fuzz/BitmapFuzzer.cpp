// Arbitrary bytes through the whole way from a bitmap file to an icon block:
// load, convert, fit, encode. Besides what the sanitizers catch, a failed
// consistency check and an encoding that does not decode back to the picture
// count as faults.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/Reporter.h"
#include "core/StringTable.h"
#include "media/IconBitmap.h"
#include "media/IconBitmapFile.h"
#include "media/IconFit.h"
#include "media/IconImport.h"

namespace {

// Lets refusals pass silently and stops at an internal error.
class FuzzReporter : public orv::Reporter {
public:
    void ShowMessage(const std::string& text, orv::MessageIcon) override {
        if (text.compare(0, m_internal.size(), m_internal) == 0) {
            std::fprintf(stderr, "%s\n", text.c_str());
            std::abort();
        }
    }
    bool AskOkCancel(const std::string&, orv::MessageIcon) override { return true; }
    void ShowStatusText(const std::string&) override {}
    void ShowInstructions(const std::string&) override {}
    void SetMainTitle(const std::string&) override {}

private:
    std::string m_internal = orv::LoadString(orv::IDM_INTERNAL_ERROR).substr(0, 40);
};

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

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
    static FuzzReporter reporter;
    orv::SetReporter(&reporter);

    orv::IconBitmap bitmap;
    if (!orv::LoadIconBitmapFromBytes({data, size}, "fuzz.bmp", bitmap)) {
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
    Require(orv::LoadIconBitmapFromBytes(AsRle8File(block), "block.bmp", decoded),
            "the block decodes");
    for (int y = 0; y < orv::kIconHeight; ++y) {
        for (int x = 0; x < orv::kIconWidth; ++x) {
            Require(decoded.Row(y)[x] == bitmap.Row(y)[x], "the block decodes to the picture");
        }
    }
    return 0;
}
