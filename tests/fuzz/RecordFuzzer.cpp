// Arbitrary bytes as they might arrive on the serial line, through the record
// receiver until the input runs out; and the same bytes as a text line through
// the text record encoder and back.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "core/Catalogue.h"
#include "core/Errors.h"
#include "core/Reporter.h"
#include "core/StringTable.h"
#include "engine/Record.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

using orv::fuzz::Require;

// Quiet even at an internal error: a record too long for the buffer is one.
class QuietReporter : public orv::Reporter {
public:
    void ShowMessage(const std::string&, orv::MessageIcon) override {}
};

// The end of the input is a time-out, as on the line.
class BytesSource : public orv::ByteSource {
public:
    BytesSource(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    void ReadChars(char* dest, int count) override {
        if (count < 1 || static_cast<size_t>(count) > m_size - m_pos) {
            orv::ThrowORVException(orv::IDM_COMM_TIMEOUT);
        }
        std::memcpy(dest, m_data + m_pos, static_cast<size_t>(count));
        m_pos += static_cast<size_t>(count);
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

void ReceiveAll(const uint8_t* data, size_t size) {
    BytesSource source(data, size);
    orv::RecordBuffer buffer;
    try {
        for (;;) {
            orv::RecordResult result = orv::ReceiveRecord(source, buffer);
            Require(buffer.length >= 0 && buffer.length <= orv::kRecordBufferSize,
                    "the record stays inside its buffer");
            if (result == orv::RecordResult::Valid) {
                std::string_view record = buffer.View();
                Require(record.size() >= 3 && record.substr(record.size() - 2) == "\r\n",
                        "a valid record ends with CR LF");
                orv::DecodeTextRecord(record);
            }
        }
    } catch (const orv::CORVException&) {
        // The input ran out, or held a character that is not hexadecimal.
    }
}

// A text line survives the way to the device and back, less what the
// device's text format cannot carry (TAB and LF, and 0x00).
void TextRoundTrip(const uint8_t* data, size_t size) {
    std::string_view line(reinterpret_cast<const char*>(data), std::min<size_t>(size, 239));
    std::string record = orv::EncodeTextRecord(line, orv::kModelMirelda);
    BytesSource source(reinterpret_cast<const uint8_t*>(record.data()), record.size());
    orv::RecordBuffer buffer;
    Require(orv::ReceiveRecord(source, buffer) == orv::RecordResult::Valid,
            "an encoded line is a valid record");
    Require(buffer.View() == record, "the receiver keeps the record as sent");
    std::string expected;
    for (char c : line) {
        if (c == '\t') {
            expected += ' ';
        } else if (c != '\n' && c != '\0') {
            expected += c;
            if (c == '\r') {
                expected += '\n';
            }
        }
    }
    Require(orv::DecodeTextRecord(record) == expected, "the text comes back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QuietReporter reporter;
    orv::SetReporter(&reporter);
    ReceiveAll(data, size);
    TextRoundTrip(data, size);
    return 0;
}
