// Helpers of the media tests: bitmap files made in memory, so that every
// header field and every byte of pixel data can be chosen, and a reader for
// the records of the import files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "media/DevicePalette.h"
#include "media/IconBitmap.h"

namespace orv::test {

struct BmpFields {
    uint16_t type = 0x4D42;
    uint32_t headerSize = 40;
    int32_t width = 0;
    int32_t height = 0;
    uint16_t bitCount = 8;
    uint32_t compression = 0;
    uint32_t clrUsed = 0;
    std::vector<RgbQuad> colours;  // written as given, whatever clrUsed says
    std::vector<uint8_t> data;     // pixel data as it stands in the file
};

std::vector<uint8_t> MakeBmp(const BmpFields& fields);

// Uncompressed pixel data: each row (in file order) padded to a multiple of 4.
std::vector<uint8_t> PadRows(const std::vector<std::vector<uint8_t>>& rows);

// Row y of a loaded bitmap (0 is the bottom row), without its padding.
std::vector<uint8_t> RowOf(const IconBitmap& bitmap, int y);

// A grey ramp of count colours, 8-bit.
std::vector<RgbQuad> GreyColours(int count);

// Loads bytes through the loader; the name only appears in messages.
Outcome LoadBytes(const std::vector<uint8_t>& bytes, IconBitmap& bitmap,
                  const std::string& name = "test.bmp");

// A bitmap of the given size whose pixel at (x, y) is value(x, y).
template <typename F>
IconBitmap MakePicture(int width, int height, F value) {
    IconBitmap b;
    b.infoHeader.width = width;
    b.infoHeader.height = height;
    b.pixels.assign(static_cast<size_t>(b.Stride()) * height, 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            b.Row(y)[x] = static_cast<uint8_t>(value(x, y));
        }
    }
    return b;
}

std::filesystem::path BmpSuite();

// One line of an import file.
struct ImportRecord {
    char letter = 0;
    std::vector<uint8_t> payload;
};

// Splits an import file into its records. Fails the test on a line that is
// not a well-formed record with CR LF, a matching length and a good checksum.
std::vector<ImportRecord> ParseImportRecords(const std::string& text);

// The 16-bit sequence number at the start of a data record's payload.
int SequenceOf(const ImportRecord& record);

// The icons of an icon import file: each header record's name and the image
// block put together from its data records. Fails the test when a data
// record's sequence number is not the next one of its icon.
struct ImportedIcon {
    std::string name;
    std::vector<uint8_t> block;
};
std::vector<ImportedIcon> IconsOfImportFile(const std::string& text);

// The bytes a sound import file carries, put together from its data records.
// Fails the test when the file does not start with the header record N01DD21
// or a sequence number is not the next one.
std::string SoundOfImportFile(const std::string& text);

// A bitmap file of width x height pixels whose pixel at (x, y) (y = 0 is the
// top row) is index(x, y), with colours as its colour table.
template <typename F>
std::vector<uint8_t> MakePictureBmp(int width, int height, const std::vector<RgbQuad>& colours,
                                    F index) {
    std::vector<std::vector<uint8_t>> rows;
    for (int y = height - 1; y >= 0; --y) {  // bottom row first
        std::vector<uint8_t> row;
        for (int x = 0; x < width; ++x) {
            row.push_back(static_cast<uint8_t>(index(x, y)));
        }
        rows.push_back(row);
    }
    BmpFields f;
    f.width = width;
    f.height = height;
    f.colours = colours;
    f.clrUsed = static_cast<uint32_t>(colours.size());
    f.data = PadRows(rows);
    return MakeBmp(f);
}

}  // namespace orv::test
