// Records as the device builds, checks and stores them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orv::devsim {

// Control bytes as the device sees them.
constexpr uint8_t kRequest = '?';  // request, halt, and the engine's abort
constexpr uint8_t kReady = 'C';
constexpr uint8_t kAck = 0x06;
constexpr uint8_t kRetry = 0x0F;  // resend; before the start: refused
constexpr uint8_t kEnq = 0x05;    // wait
constexpr uint8_t kNak = 0x15;    // the device's usual refusal of a record

// The records a device holds, in order, each without its line end.
using MemoryImage = std::vector<std::string>;

// Builders. Each appends the checksum that makes the 8-bit sum of all decoded
// bytes after the letter 0xFF, in upper-case hex. They throw
// std::invalid_argument for a letter that does not have the layout or data
// that does not fit it.
std::string CountedRecord(char letter, std::span<const uint8_t> data);  // A B R a b N n U
std::string BlockRecord(char letter, std::span<const uint8_t> data);    // C c: 12, K k: 256
// D I M P d: count k, k head bytes, then n and n tail bytes.
std::string SplitRecord(char letter, std::span<const uint8_t> head, std::span<const uint8_t> tail);
std::string PrefixedSplitRecord(uint8_t prefix, std::span<const uint8_t> head,
                                std::span<const uint8_t> tail);             // m
std::string PrefixedRecord(uint8_t prefix, std::span<const uint8_t> data);  // X
std::string DoublePrefixedRecord(uint8_t first, uint8_t second,
                                 std::span<const uint8_t> data);  // x
std::string VersionRecord(std::string_view threeChars);           // V300
std::string LongVersionRecord(std::string_view text);             // v: letters, digits, blanks
std::string TextRecord(std::string_view bytes);                   // n with raw bytes

// The header and trailer of a text memory.
constexpr std::string_view kTextHeader = "N1600000100000000000000000000160000001600000016A6";
constexpr std::string_view kTextEnd = "n00FF";

enum class RecordStatus {
    Valid,      // checksum and layout agree
    Unchecked,  // V or v: carries no checksum, well formed
    BadHex,     // a character that is not an upper-case hex digit, or an odd count
    BadLayout,  // counts and length disagree
    BadChecksum,
    NotARecord,  // empty, or does not start with a letter
};
const char* StatusName(RecordStatus status);
inline bool IsGood(RecordStatus s) {
    return s == RecordStatus::Valid || s == RecordStatus::Unchecked;
}

// Checks a record as it arrived; a trailing LF or CR LF is ignored. For a
// letter whose layout the device does not know, only the checksum is checked.
RecordStatus CheckRecord(std::string_view line);

// The same record with a checksum that is off, and with its hex digits in lower
// case (unchanged when it has no digit A-F). V and v records come back as they are.
std::string WithBadChecksum(std::string_view record);
std::string WithLowerCaseHex(std::string_view record);

// The record text without its line end (LF or CR LF).
std::string_view StripLineEnd(std::string_view line);

// The version a device reads from its records: the number after the last
// leading V or v (as atoi reads it), 300 when there is none.
int VersionOf(const MemoryImage& records);

// What a text memory reads as: the bytes of its n records with a new line
// for each CR (the device's line end); NUL and LF bytes are left out. lines
// counts the records that carry text. A malformed record reads as far as
// its hex digits go.
std::string ReadableText(const MemoryImage& records, std::size_t* lines = nullptr);

// Memory files: one record per line, CR LF after each. Reading accepts LF or
// CR LF and keeps a last line without a line end (a continuation marker T).
// Both throw std::runtime_error with the file name and the reason.
MemoryImage ReadMemoryFile(const std::filesystem::path& path);
void WriteMemoryFile(const std::filesystem::path& path, const MemoryImage& records);
// Writes bytes as they are (received records with their own line ends).
void WriteBytesFile(const std::filesystem::path& path, std::string_view bytes);

}  // namespace orv::devsim
