// Records and control bytes: what crosses the serial line and fills memory files.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orv {

// Control bytes.
constexpr char kRequestByte = '?';  // device: request or halt; engine: abort
constexpr char kReadyByte = 'C';
constexpr char kAckByte = 0x06;
constexpr char kRetryByte = 0x0F;
constexpr char kEnqByte = 0x05;

constexpr int kRecordBufferSize = 1024;
constexpr int kMaxRecordChars = kRecordBufferSize - 2;  // room for CR LF

// Fixed records the engine sends on its own.
constexpr std::string_view kTextHeaderRecord =
    "N1600000100000000000000000000160000001600000016A6\r\n";
constexpr std::string_view kEmptyTextRecord = "n00FF\r\n";
constexpr std::string_view kEndMarkUpper = "END";
constexpr std::string_view kEndMarkLower = "end";

// The end mark a restore sends: "end" for Quenlow, Ostravel, Fennimar, and for
// Mirelda when the file's version is 300 or more; "END" otherwise.
std::string_view EndMarkFor(uint32_t modelId, int fileVersion);

// Where received characters come from: the serial line, or a string in tests.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Reads exactly count characters (count >= 1) or raises a CORVException
    // (158 read failure, 159 time-out, 165 halted, 166 cancelled).
    virtual void ReadChars(char* dest, int count) = 0;
};

enum class RecordResult {
    Valid,          // a record and CR LF are in the buffer
    Invalid,        // unknown type letter, wrong checksum, or a version with a control byte
    EndOfTransfer,  // the end-of-transfer mark
    TooLong,        // the record would not fit the buffer (refused like an invalid one)
};

// The record being received or sent.
struct RecordBuffer {
    char text[kRecordBufferSize] = {};
    int length = 0;
    uint8_t checksum = 0;  // running sum of the decoded bytes

    std::string_view View() const { return std::string_view(text, static_cast<size_t>(length)); }
    void Clear() {
        length = 0;
        checksum = 0;
    }
    // Replaces the contents; false (and the buffer cleared) when it does not fit.
    bool Assign(std::string_view s);
};

// Receives one record field by field, keeping the running checksum. Raises the
// source's CORVExceptions, and 133 for a character that is not an upper-case
// hexadecimal digit. Never writes past the buffer.
RecordResult ReceiveRecord(ByteSource& source, RecordBuffer& buffer);

// A plain text line (at most 239 bytes, line end included) as an `n` record
// with CR LF; TAB becomes a blank, LF a blank for Quenlow and 0x00 otherwise.
std::string EncodeTextRecord(std::string_view line, uint32_t modelId);

// The text an `n` record carries: 0x00 dropped, LF added after each CR. Empty
// when the record is not an `n` record.
std::optional<std::string> DecodeTextRecord(std::string_view record);

}  // namespace orv
