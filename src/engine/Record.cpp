#include "engine/Record.h"

#include <cstring>

#include "core/Catalogue.h"
#include "core/Errors.h"
#include "core/Hex.h"

namespace orv {

namespace {

// Raised inside the receiver when a record outgrows the buffer.
struct RecordTooLong {};

class Receiver {
public:
    Receiver(ByteSource& source, RecordBuffer& buffer) : m_source(source), m_buf(buffer) {}

    RecordResult Run() {
        try {
            return Receive();
        } catch (const RecordTooLong&) {
            // The device's input, not a fault of ours: refused like any bad record.
            m_buf.Clear();
            return RecordResult::TooLong;
        }
    }

private:
    // Reads count raw characters after those already in the buffer; returns the first.
    char ReadRecordChars(int count) {
        if (m_buf.length + count > kMaxRecordChars) {
            throw RecordTooLong{};
        }
        char* dest = m_buf.text + m_buf.length;
        m_source.ReadChars(dest, count);
        m_buf.length += count;
        return dest[0];
    }

    uint8_t ReadHexByte() {
        ReadRecordChars(2);
        const char* p = m_buf.text + m_buf.length - 2;
        uint8_t value = static_cast<uint8_t>(HexDigitValue(p[0]) * 16 + HexDigitValue(p[1]));
        m_buf.checksum = static_cast<uint8_t>(m_buf.checksum + value);
        return value;
    }

    void ReadBytes(int n) {
        for (int i = 0; i < n; ++i) {
            ReadHexByte();
        }
    }

    void ReadCounted() { ReadBytes(ReadHexByte()); }

    // k, then k + 1 bytes of which the last is n, then n bytes.
    void ReadDLayout() {
        int k = ReadHexByte();
        ReadBytes(k);
        ReadBytes(ReadHexByte());
    }

    // Letters and digits of the ASCII set, whatever the locale says.
    static bool IsVersionChar(char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
               c == ' ';
    }

    static bool IsPrintable(char c) { return c >= 0x20 && c <= 0x7E; }

    RecordResult Receive() {
        char letter;
        do {
            m_buf.Clear();
            letter = ReadRecordChars(1);
        } while (letter == '\r' || letter == '\n');

        switch (letter) {
            case 'A':
            case 'B':
            case 'R':
            case 'a':
            case 'b':
            case 'N':
            case 'n':
            case 'U':
                ReadCounted();
                break;
            case 'C':
            case 'c':
                ReadBytes(12);
                break;
            case 'D':
            case 'I':
            case 'M':
            case 'P':
            case 'd':
                ReadDLayout();
                break;
            case 'm':
                ReadHexByte();
                ReadDLayout();
                break;
            case 'K':
            case 'k':
                ReadBytes(256);
                break;
            case 'X':
                ReadHexByte();
                ReadCounted();
                break;
            case 'x':
                ReadBytes(2);
                ReadCounted();
                break;
            case 'V': {
                // Line noise and a short version followed by its line end
                // must not pass for a version.
                const char* version = m_buf.text + m_buf.length;
                ReadRecordChars(3);
                for (int i = 0; i < 3; ++i) {
                    if (!IsPrintable(version[i])) {
                        return RecordResult::Invalid;
                    }
                }
                return Finish();
            }
            case 'v':
                for (;;) {
                    char c = ReadRecordChars(1);
                    if (!IsVersionChar(c)) {
                        --m_buf.length;  // consumed, not kept
                        break;
                    }
                }
                return Finish();
            case 'E':
            case 'e': {
                char c = ReadRecordChars(1);
                if (c != 'N' && c != 'n') {
                    return RecordResult::Invalid;
                }
                c = ReadRecordChars(1);
                if (c != 'D' && c != 'd') {
                    return RecordResult::Invalid;
                }
                return RecordResult::EndOfTransfer;
            }
            default:
                return RecordResult::Invalid;
        }

        uint8_t expected = static_cast<uint8_t>(0xFF - m_buf.checksum);
        uint8_t actual = ReadHexByte();
        if (actual != expected) {
            return RecordResult::Invalid;
        }
        return Finish();
    }

    RecordResult Finish() {
        // kMaxRecordChars leaves room for these two.
        m_buf.text[m_buf.length++] = '\r';
        m_buf.text[m_buf.length++] = '\n';
        return RecordResult::Valid;
    }

    ByteSource& m_source;
    RecordBuffer& m_buf;
};

int HexValueOrMinus(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

}  // namespace

bool RecordBuffer::Assign(std::string_view s) {
    if (s.size() > sizeof(text)) {
        Clear();
        return false;
    }
    std::memcpy(text, s.data(), s.size());
    length = static_cast<int>(s.size());
    return true;
}

std::string_view EndMarkFor(uint32_t modelId, int fileVersion) {
    if (modelId == kModelMirelda) {
        return fileVersion >= 300 ? kEndMarkLower : kEndMarkUpper;
    }
    if (modelId == kModelQuenlow || modelId == kModelOstravel || modelId == kModelFennimar) {
        return kEndMarkLower;
    }
    return kEndMarkUpper;
}

RecordResult ReceiveRecord(ByteSource& source, RecordBuffer& buffer) {
    return Receiver(source, buffer).Run();
}

std::string EncodeTextRecord(std::string_view line, uint32_t modelId) {
    if (!ORV_CHECK(line.size() <= 255)) {
        line = line.substr(0, 255);
    }
    const uint8_t lineFeed = modelId == kModelQuenlow ? 0x20 : 0x00;
    std::string out;
    out.reserve(5 + 2 * line.size() + 2);
    out += 'n';
    uint8_t sum = static_cast<uint8_t>(line.size());
    AppendHexByte(out, sum);
    for (char ch : line) {
        uint8_t b = static_cast<uint8_t>(ch);
        if (b == 0x09) {
            b = 0x20;
        } else if (b == 0x0A) {
            b = lineFeed;
        }
        AppendHexByte(out, b);
        sum = static_cast<uint8_t>(sum + b);
    }
    AppendHexByte(out, static_cast<uint8_t>(0xFF - sum));
    out += "\r\n";
    return out;
}

std::optional<std::string> DecodeTextRecord(std::string_view record) {
    if (record.empty() || record[0] != 'n') {
        return std::nullopt;
    }
    auto byteAt = [&](size_t pos) -> int {
        if (pos + 1 >= record.size()) {
            return -1;
        }
        int hi = HexValueOrMinus(record[pos]);
        int lo = HexValueOrMinus(record[pos + 1]);
        return (hi < 0 || lo < 0) ? -1 : hi * 16 + lo;
    };
    std::string text;
    int count = byteAt(1);
    for (int i = 0; i < count; ++i) {
        int b = byteAt(3 + 2 * static_cast<size_t>(i));
        if (b < 0) {
            break;
        }
        if (b == 0x00) {
            continue;
        }
        text += static_cast<char>(b);
        if (b == 0x0D) {
            text += '\n';
        }
    }
    return text;
}

}  // namespace orv
