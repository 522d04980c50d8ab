// Keyboard overlay files: 32 records of 139 characters, one per cell, in cell
// order. A record is "N" 42 07 address length, the cell's 63 bytes, a checksum
// (all as upper-case hex pairs) and CR LF.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/Outcome.h"
#include "overlay/OverlayCells.h"

namespace orv {

constexpr int OverlayRecordSize = 139;
constexpr int OverlayFileSize = OverlayCellCount * OverlayRecordSize;  // 4,448

// Offsets inside a record.
constexpr int kOverlayAddressOffset = 5;
constexpr int kOverlayLengthOffset = 7;
constexpr int kOverlayDataOffset = 9;
constexpr int kOverlayChecksumOffset = kOverlayDataOffset + 2 * OverlayCellSize;  // 135

// The record of cell k, CR LF included.
std::string FormatOverlayRecord(const OverlayCells& cells, int k);

// The byte written as two upper-case hex digits at offset; none when either is
// anything else or the text is too short.
std::optional<uint8_t> OverlayHexByte(std::string_view text, int offset);

// The checksum byte of a record: the complement of the low byte of the sum of
// count, type, address, length and the 63 cell bytes.
uint8_t OverlayChecksum(uint8_t address, uint8_t length, ConstOverlayCell cell);

// Why the reader rejects a record.
enum class OverlayRecordFault {
    None,
    Short,         // fewer than 139 characters
    NotN,          // offset 0 is not "N"
    NotType7,      // offset 4 is not "7"
    BadDigit,      // not an upper-case hexadecimal digit (at offset)
    WrongAddress,  // the address names another cell
};

struct OverlayRecordCheck {
    OverlayRecordFault fault = OverlayRecordFault::None;
    int offset = 0;  // where the fault is
    uint8_t address = 0;
    uint8_t length = 0;  // the length byte as read, 0-255
    bool Accepted() const { return fault == OverlayRecordFault::None; }
};

// Decodes the record of cell k as the reader does and stores cell byte i when i
// is below the length byte (the caller clears the cell first). Stops at the
// first fault; the bytes stored before it stay. Count, checksum and line end
// are not examined.
OverlayRecordCheck DecodeOverlayRecord(std::string_view record, int k, OverlayCell cell);

struct OverlayFileResult : Outcome {
    // The file's name without folder, for the caption and the status texts.
    std::string fileName;
};

// Replaces cells with the file's content, denying other writers meanwhile.
// A failure carries its message: a file that cannot be opened or read the
// standard file-error text (cells then unchanged when the open failed), a file
// that is not an overlay message 132 (cells then hold what was decoded before
// the bad record).
OverlayFileResult ReadOverlayFile(const std::string& path, OverlayCells& cells);

// Writes the 32 records over the start of an existing file, which it locks
// exclusively; it never creates a file, and bytes after the 32nd record stay.
// The new version takes the file's place only when complete, keeping its
// permissions, owner and links. A failure carries the standard file-error text
// and leaves the file as it was.
OverlayFileResult WriteOverlayFile(const std::string& path, const OverlayCells& cells);

// The main window's caption while an overlay file is open.
std::string OverlayWindowTitle(std::string_view mainTitle, std::string_view fileName);

}  // namespace orv
