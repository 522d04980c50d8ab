#include "media/IconImport.h"

#include <algorithm>

#include "core/Errors.h"
#include "core/RegularFile.h"
#include "core/StringTable.h"
#include "media/LittleEndian.h"

namespace orv {
namespace {

constexpr uint8_t kIconRecordType = 0x1C;

// 1 or 2 pixels cost less as runs of one; longer stretches go as an absolute
// run, padded to a whole word.
void AppendLiterals(std::vector<uint8_t>& out, const uint8_t* pixels, int count) {
    if (count >= 3) {
        out.push_back(0);
        out.push_back(static_cast<uint8_t>(count));
        out.insert(out.end(), pixels, pixels + count);
        if (count % 2 != 0) {
            out.push_back(0);
        }
        return;
    }
    for (int i = 0; i < count; ++i) {
        out.push_back(1);
        out.push_back(pixels[i]);
    }
}

void AppendRow(std::vector<uint8_t>& out, const uint8_t* px) {
    int pos = 0;
    while (pos < kIconWidth) {
        int i = pos;
        while (i < kIconWidth - 2 && !(px[i] == px[i + 1] && px[i] == px[i + 2])) {
            ++i;
        }
        if (i >= kIconWidth - 2) {
            AppendLiterals(out, px + pos, kIconWidth - pos);
            break;
        }
        AppendLiterals(out, px + pos, i - pos);
        int end = i + 1;
        while (end < kIconWidth && px[end] == px[i]) {
            ++end;
        }
        out.push_back(static_cast<uint8_t>(end - i));
        out.push_back(px[i]);
        pos = end;
    }
    out.push_back(0);  // end of line
    out.push_back(0);
}

bool IsNameCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_';
}

bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The file's name without its extension (everything from its last dot).
std::string_view BaseName(std::string_view path) {
    std::string_view file = FileNamePart(path);
    return file.substr(0, file.rfind('.'));
}

}  // namespace

std::vector<uint8_t> EncodeIconImage(const IconBitmap& bitmap) {
    if (!bitmap.HasPixels() || bitmap.Width() != kIconWidth || bitmap.Height() != kIconHeight) {
        ORV_INTERNAL_ERROR();
        return {};
    }
    std::vector<uint8_t> block(kIconBlockHeaderSize, 0);
    block.reserve(10000);
    block[0] = 'K';
    block[1] = 'W';
    WriteLe32(block.data() + 2, kIconBlockHeaderSize);
    WriteLe32(block.data() + 6, kIconWidth);
    WriteLe32(block.data() + 10, kIconHeight);
    for (int y = 0; y < kIconHeight; ++y) {
        AppendRow(block, bitmap.Row(y));
    }
    block.push_back(0);  // end of bitmap
    block.push_back(1);
    WriteLe32(block.data() + 14, static_cast<uint32_t>(block.size() - kIconBlockHeaderSize));
    return block;
}

Outcome AppendIconRecords(std::string_view name, const std::vector<uint8_t>& block,
                          const std::string& path) {
    if (!ORV_CHECK(name.size() <= kMaxIconNameLength)) {
        name = name.substr(0, kMaxIconNameLength);
    }
    uint8_t header[1 + kMaxIconNameLength] = {kIconRecordType};
    std::copy(name.begin(), name.end(), header + 1);
    std::string text;
    AppendImportRecord(text, 'N', header);
    uint16_t sequence = 0;
    for (size_t at = 0; at < block.size(); at += kImportPieceSize) {
        size_t n = std::min(kImportPieceSize, block.size() - at);
        AppendDataRecord(text, sequence++, std::span<const uint8_t>(block.data() + at, n));
    }

    // The file is written anew beside itself with the icon added, and takes
    // its own place only when complete: a failure leaves the icons it held,
    // and the device never gets half of one.
    std::string earlier;
    try {
        earlier = ReadRegularFile(path);
    } catch (const FileError& e) {
        if (e.Cause() != FileErrorCause::FileNotFound) {
            Outcome outcome;
            outcome.Fail(LoadString(IDS_ICON_FILE_OPEN_ERROR), MessageIcon::None);
            return outcome;
        }
    }
    return WriteImportFile(path, IDS_ICON_FILE_OPEN_ERROR, [&](FileReplacement& file) {
        file.Write(earlier);
        file.Write(text);
    });
}

std::string DefaultIconName(std::string_view path) {
    std::string_view name = BaseName(path).substr(0, kMaxIconNameLength);
    size_t end = 0;
    while (end < name.size() && IsNameCharacter(name[end])) {
        ++end;
    }
    return std::string(name.substr(0, end));
}

std::string IconNameLabel(std::string_view path) {
    return LoadString(IDS_ICON_NAME_LABEL) + std::string(FileNamePart(path));
}

int CheckIconName(std::string_view name) {
    if (name.empty()) {
        return IDS_ICON_NAME_EMPTY;
    }
    if (!IsAsciiLetter(name.front())) {
        return IDS_ICON_NAME_NOT_ALPHA;
    }
    for (char c : name) {
        if (!IsNameCharacter(c)) {
            return IDS_ICON_NAME_INVALID;
        }
    }
    return 0;
}

}  // namespace orv
