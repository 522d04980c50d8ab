#include "overlay/OverlayFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <optional>

#include "core/Errors.h"
#include "core/FileReplacement.h"
#include "core/Hex.h"
#include "core/RegularFile.h"
#include "core/StringTable.h"

namespace orv {

namespace {

constexpr uint8_t kCountByte = 0x42;
constexpr uint8_t kTypeByte = 0x07;

// The offset of the first bad digit of the pair at offset.
int BadDigitOffset(std::string_view text, int offset) {
    try {
        HexDigitValue(text[static_cast<size_t>(offset)]);
    } catch (const CORVException&) {
        return offset;
    }
    return offset + 1;
}

// Opens an existing regular file and takes the flock (LOCK_SH to keep writers
// out, LOCK_EX to keep everyone out). Raises FileError.
FileHandle OpenLocked(const std::string& path, int flags, int lockOperation) {
    FileHandle file(OpenRegularFile(path, flags));
    int fd = file.Fd();
    // Only a lock held by someone else stops us; a file system without
    // flock support must not keep the user from the file.
    if (::flock(fd, lockOperation | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        throw FileError(FileErrorCause::SharingViolation, path, EWOULDBLOCK);
    }
    return file;
}

}  // namespace

std::optional<uint8_t> OverlayHexByte(std::string_view text, int offset) {
    if (offset < 0 || static_cast<size_t>(offset) + 2 > text.size()) {
        return std::nullopt;
    }
    // HexDigitValue raises message 133 for a bad digit; in a record that is
    // just the record's fault, which the caller reports.
    try {
        int high = HexDigitValue(text[static_cast<size_t>(offset)]);
        int low = HexDigitValue(text[static_cast<size_t>(offset) + 1]);
        return static_cast<uint8_t>((high << 4) | low);
    } catch (const CORVException&) {
        return std::nullopt;
    }
}

uint8_t OverlayChecksum(uint8_t address, uint8_t length, ConstOverlayCell cell) {
    unsigned sum = kCountByte + kTypeByte + address + length;
    for (uint8_t b : cell) {
        sum += b;
    }
    return static_cast<uint8_t>(0xFF - (sum & 0xFF));
}

std::string FormatOverlayRecord(const OverlayCells& cells, int k) {
    uint8_t address = CellAddress(k);
    uint8_t length = static_cast<uint8_t>(cells.TextLength(k));
    // The text, then zeros: a damaged file read earlier may have left bytes
    // after a zero inside the length, which are no part of the text.
    std::array<uint8_t, OverlayCellSize> bytes{};
    std::copy_n(cells.Cell(k).begin(), length, bytes.begin());
    ConstOverlayCell cell(bytes);

    std::string record = "N";
    record.reserve(OverlayRecordSize);
    AppendHexByte(record, kCountByte);
    AppendHexByte(record, kTypeByte);
    AppendHexByte(record, address);
    AppendHexByte(record, length);
    for (uint8_t b : cell) {
        AppendHexByte(record, b);
    }
    AppendHexByte(record, OverlayChecksum(address, length, cell));
    record += "\r\n";
    return record;
}

OverlayRecordCheck DecodeOverlayRecord(std::string_view record, int k, OverlayCell cell) {
    OverlayRecordCheck check;
    auto fail = [&check](OverlayRecordFault fault, int offset) {
        check.fault = fault;
        check.offset = offset;
        return check;
    };
    if (record.size() < static_cast<size_t>(OverlayRecordSize)) {
        return fail(OverlayRecordFault::Short, static_cast<int>(record.size()));
    }
    if (record[0] != 'N') {
        return fail(OverlayRecordFault::NotN, 0);
    }
    if (record[4] != '7') {
        return fail(OverlayRecordFault::NotType7, 4);
    }
    std::optional<uint8_t> address = OverlayHexByte(record, kOverlayAddressOffset);
    if (!address) {
        return fail(OverlayRecordFault::BadDigit, BadDigitOffset(record, kOverlayAddressOffset));
    }
    check.address = *address;
    if (CellIndexFromAddress(check.address) != k) {
        return fail(OverlayRecordFault::WrongAddress, kOverlayAddressOffset);
    }
    std::optional<uint8_t> length = OverlayHexByte(record, kOverlayLengthOffset);
    if (!length) {
        return fail(OverlayRecordFault::BadDigit, BadDigitOffset(record, kOverlayLengthOffset));
    }
    check.length = *length;
    for (int i = 0; i < OverlayCellSize; ++i) {
        int offset = kOverlayDataOffset + 2 * i;
        std::optional<uint8_t> value = OverlayHexByte(record, offset);
        if (!value) {
            return fail(OverlayRecordFault::BadDigit, BadDigitOffset(record, offset));
        }
        if (i < check.length) {
            cell[static_cast<size_t>(i)] = *value;
        }
    }
    return check;
}

OverlayFileResult ReadOverlayFile(const std::string& path, OverlayCells& cells) {
    OverlayFileResult result;
    result.fileName = FileNamePart(path);
    try {
        FileHandle file = OpenLocked(path, O_RDONLY, LOCK_SH);
        cells.Clear();
        std::array<char, OverlayRecordSize> record;
        for (int k = 0; k < OverlayCellCount; ++k) {
            size_t got = ReadUpTo(file.Fd(), record.data(), record.size(), path);
            OverlayRecordCheck check =
                DecodeOverlayRecord(std::string_view(record.data(), got), k, cells.Cell(k));
            if (!check.Accepted()) {
                result.Fail(FormatString(IDM_BAD_OVERLAY_FILE, result.fileName), MessageIcon::None);
                return result;
            }
        }
    } catch (const FileError& error) {
        result.Fail(error);
    }
    return result;
}

OverlayFileResult WriteOverlayFile(const std::string& path, const OverlayCells& cells) {
    OverlayFileResult result;
    result.fileName = FileNamePart(path);
    try {
        // The file must exist and be writable; the lock keeps others out
        // while its new version is made beside it, with the bytes after the
        // 32nd record, and put in its place. A failure leaves it as it was.
        FileHandle file = OpenLocked(path, O_RDWR, LOCK_EX);
        std::string content;
        content.reserve(OverlayFileSize);
        for (int k = 0; k < OverlayCellCount; ++k) {
            content += FormatOverlayRecord(cells, k);
        }
        content += ReadFrom(file.Fd(), OverlayFileSize, path);
        ReplaceFileContents(path, content);
    } catch (const FileError& error) {
        result.Fail(error);
    }
    return result;
}

std::string OverlayWindowTitle(std::string_view mainTitle, std::string_view fileName) {
    std::string title(mainTitle);
    title += " - [";
    title += fileName;
    title += "]";
    return title;
}

}  // namespace orv
