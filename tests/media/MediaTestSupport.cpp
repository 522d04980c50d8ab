#include "tests/media/MediaTestSupport.h"

#include <gtest/gtest.h>

#include "media/LittleEndian.h"
#include "tests/common/TestSupport.h"

namespace orv::test {
std::vector<uint8_t> MakeBmp(const BmpFields& fields) {
    std::vector<uint8_t> out;
    const uint32_t offset =
        14 + fields.headerSize + 4 * static_cast<uint32_t>(fields.colours.size());
    AppendLe16(out, fields.type);
    AppendLe32(out, offset + static_cast<uint32_t>(fields.data.size()));
    AppendLe32(out, 0);
    AppendLe32(out, offset);
    AppendLe32(out, fields.headerSize);
    AppendLe32(out, static_cast<uint32_t>(fields.width));
    AppendLe32(out, static_cast<uint32_t>(fields.height));
    AppendLe16(out, 1);
    AppendLe16(out, fields.bitCount);
    AppendLe32(out, fields.compression);
    AppendLe32(out, static_cast<uint32_t>(fields.data.size()));
    AppendLe32(out, 2835);
    AppendLe32(out, 2835);
    AppendLe32(out, fields.clrUsed);
    AppendLe32(out, 0);
    out.resize(14 + fields.headerSize, 0);
    for (const RgbQuad& q : fields.colours) {
        out.insert(out.end(), {q.blue, q.green, q.red, q.reserved});
    }
    out.insert(out.end(), fields.data.begin(), fields.data.end());
    return out;
}

std::vector<uint8_t> PadRows(const std::vector<std::vector<uint8_t>>& rows) {
    std::vector<uint8_t> out;
    for (const auto& row : rows) {
        out.insert(out.end(), row.begin(), row.end());
        out.resize(out.size() + (IconBitmap::StrideFor(static_cast<int>(row.size())) - row.size()),
                   0);
    }
    return out;
}

std::vector<uint8_t> RowOf(const IconBitmap& bitmap, int y) {
    const uint8_t* row = bitmap.Row(y);
    return std::vector<uint8_t>(row, row + bitmap.Width());
}

std::vector<RgbQuad> GreyColours(int count) {
    std::vector<RgbQuad> colours;
    for (int i = 0; i < count; ++i) {
        uint8_t v = static_cast<uint8_t>(i);
        colours.push_back({v, v, v, 0});
    }
    return colours;
}

Outcome LoadBytes(const std::vector<uint8_t>& bytes, IconBitmap& bitmap, const std::string& name) {
    return LoadIconBitmapFromBytes(bytes, name, bitmap);
}

std::filesystem::path BmpSuite() {
    return SourceDir() / "tests" / "data" / "bmpsuite";
}

std::vector<ImportRecord> ParseImportRecords(const std::string& text) {
    auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9') {
            return c - '0';
        }
        if (c >= 'A' && c <= 'F') {
            return c - 'A' + 10;
        }
        return -1;
    };
    std::vector<ImportRecord> records;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find("\r\n", pos);
        if (end == std::string::npos) {
            ADD_FAILURE() << "line without CR LF at " << pos;
            break;
        }
        std::string line = text.substr(pos, end - pos);
        pos = end + 2;
        std::vector<int> bytes;
        for (size_t i = 1; i + 1 < line.size(); i += 2) {
            int hi = hex(line[i]);
            int lo = hex(line[i + 1]);
            if (hi < 0 || lo < 0) {
                ADD_FAILURE() << "not upper-case hex: " << line;
                return records;
            }
            bytes.push_back(hi * 16 + lo);
        }
        if (line.size() % 2 != 1 || bytes.size() < 2 ||
            bytes[0] != static_cast<int>(bytes.size()) - 2) {
            ADD_FAILURE() << "length does not match: " << line;
            return records;
        }
        int sum = 0;
        for (int b : bytes) {
            sum += b;
        }
        EXPECT_EQ(sum % 256, 0xFF) << "checksum: " << line;
        records.push_back({line[0], std::vector<uint8_t>(bytes.begin() + 1, bytes.end() - 1)});
    }
    return records;
}

int SequenceOf(const ImportRecord& record) {
    return record.payload.size() < 2 ? -1 : record.payload[0] * 256 + record.payload[1];
}

std::vector<ImportedIcon> IconsOfImportFile(const std::string& text) {
    std::vector<ImportedIcon> icons;
    for (const ImportRecord& r : ParseImportRecords(text)) {
        if (r.letter == 'N') {
            EXPECT_EQ(r.payload.size(), 9u);
            EXPECT_EQ(r.payload.at(0), 0x1C);
            std::string name(r.payload.begin() + 1, r.payload.end());
            icons.push_back({name.substr(0, name.find('\0')), {}});
        } else if (r.letter == 'n' && !icons.empty()) {
            EXPECT_EQ(static_cast<size_t>(SequenceOf(r)), (icons.back().block.size() + 31) / 32)
                << "in icon " << icons.back().name;
            icons.back().block.insert(icons.back().block.end(), r.payload.begin() + 2,
                                      r.payload.end());
        } else {
            ADD_FAILURE() << "unexpected record " << r.letter;
        }
    }
    return icons;
}

std::string SoundOfImportFile(const std::string& text) {
    EXPECT_EQ(text.substr(0, 9), "N01DD21\r\n");
    std::vector<ImportRecord> records = ParseImportRecords(text);
    std::string sound;
    for (size_t i = 1; i < records.size(); ++i) {
        EXPECT_EQ(records[i].letter, 'n');
        EXPECT_EQ(SequenceOf(records[i]), static_cast<int>(i - 1));
        sound.append(records[i].payload.begin() + 2, records[i].payload.end());
    }
    return sound;
}

}  // namespace orv::test
