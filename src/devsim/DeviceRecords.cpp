#include "devsim/DeviceRecords.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace orv::devsim {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

void AppendHex(std::string& out, uint8_t value) {
    out += kHexDigits[value >> 4];
    out += kHexDigits[value & 0x0F];
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool OneOf(char letter, std::string_view letters) {
    return letters.find(letter) != std::string_view::npos;
}

void Require(bool condition, const char* what) {
    if (!condition) {
        throw std::invalid_argument(what);
    }
}

uint8_t CountOf(std::size_t size) {
    Require(size <= 255, "record field longer than 255 bytes");
    return static_cast<uint8_t>(size);
}

// Letter, fields as hex, checksum.
std::string Finish(char letter, const std::vector<uint8_t>& fields) {
    std::string record(1, letter);
    uint8_t sum = 0;
    for (uint8_t b : fields) {
        AppendHex(record, b);
        sum = static_cast<uint8_t>(sum + b);
    }
    AppendHex(record, static_cast<uint8_t>(0xFF - sum));
    return record;
}

void Append(std::vector<uint8_t>& fields, std::span<const uint8_t> data) {
    fields.insert(fields.end(), data.begin(), data.end());
}

std::vector<uint8_t> SplitFields(std::span<const uint8_t> head, std::span<const uint8_t> tail) {
    std::vector<uint8_t> fields{CountOf(head.size())};
    Append(fields, head);
    fields.push_back(CountOf(tail.size()));
    Append(fields, tail);
    return fields;
}

// Decoded bytes (checksum included) a record of this letter must have, or
// nothing for a letter whose layout is not known.
std::optional<std::size_t> ExpectedBytes(char letter, const std::vector<uint8_t>& b) {
    auto at = [&b](std::size_t i) -> std::optional<std::size_t> {
        if (i < b.size()) {
            return b[i];
        }
        return std::nullopt;
    };
    // A count at position `countAt`, that many bytes, then the checksum.
    auto counted = [&](std::size_t countAt) -> std::optional<std::size_t> {
        auto n = at(countAt);
        return n ? std::optional(countAt + 1 + *n + 1) : std::nullopt;
    };
    auto split = [&](std::size_t kAt) -> std::optional<std::size_t> {
        auto k = at(kAt);
        if (!k) {
            return std::nullopt;
        }
        return counted(kAt + 1 + *k);
    };
    if (OneOf(letter, "ABRabNnU")) {
        return counted(0);
    }
    if (OneOf(letter, "Cc")) {
        return 13;
    }
    if (OneOf(letter, "Kk")) {
        return 257;
    }
    if (OneOf(letter, "DIMPd")) {
        return split(0);
    }
    if (letter == 'm') {
        return split(1);
    }
    if (letter == 'X') {
        return counted(1);
    }
    if (letter == 'x') {
        return counted(2);
    }
    return std::nullopt;
}

}  // namespace

std::string CountedRecord(char letter, std::span<const uint8_t> data) {
    Require(OneOf(letter, "ABRabNnU"), "not a counted record letter");
    std::vector<uint8_t> fields{CountOf(data.size())};
    Append(fields, data);
    return Finish(letter, fields);
}

std::string BlockRecord(char letter, std::span<const uint8_t> data) {
    Require(
        (OneOf(letter, "Cc") && data.size() == 12) || (OneOf(letter, "Kk") && data.size() == 256),
        "block records hold 12 (C c) or 256 (K k) bytes");
    return Finish(letter, std::vector<uint8_t>(data.begin(), data.end()));
}

std::string SplitRecord(char letter, std::span<const uint8_t> head, std::span<const uint8_t> tail) {
    Require(OneOf(letter, "DIMPd"), "not a split record letter");
    return Finish(letter, SplitFields(head, tail));
}

std::string PrefixedSplitRecord(uint8_t prefix, std::span<const uint8_t> head,
                                std::span<const uint8_t> tail) {
    std::vector<uint8_t> fields{prefix};
    Append(fields, SplitFields(head, tail));
    return Finish('m', fields);
}

std::string PrefixedRecord(uint8_t prefix, std::span<const uint8_t> data) {
    std::vector<uint8_t> fields{prefix, CountOf(data.size())};
    Append(fields, data);
    return Finish('X', fields);
}

std::string DoublePrefixedRecord(uint8_t first, uint8_t second, std::span<const uint8_t> data) {
    std::vector<uint8_t> fields{first, second, CountOf(data.size())};
    Append(fields, data);
    return Finish('x', fields);
}

std::string VersionRecord(std::string_view threeChars) {
    Require(threeChars.size() == 3, "a V record holds three characters");
    for (char c : threeChars) {
        Require(c != '\r' && c != '\n', "a V record holds no line end");
    }
    return "V" + std::string(threeChars);
}

std::string LongVersionRecord(std::string_view text) {
    for (char c : text) {
        Require(IsLetter(c) || IsDigit(c) || c == ' ', "a v record holds letters, digits, blanks");
    }
    return "v" + std::string(text);
}

std::string TextRecord(std::string_view bytes) {
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    return CountedRecord('n', std::span(data, bytes.size()));
}

const char* StatusName(RecordStatus status) {
    switch (status) {
        case RecordStatus::Valid:
            return "valid";
        case RecordStatus::Unchecked:
            return "valid (no checksum)";
        case RecordStatus::BadHex:
            return "bad hex digits";
        case RecordStatus::BadLayout:
            return "length does not match the layout";
        case RecordStatus::BadChecksum:
            return "bad checksum";
        case RecordStatus::NotARecord:
            return "not a record";
    }
    return "?";
}

std::string_view StripLineEnd(std::string_view line) {
    if (!line.empty() && line.back() == '\n') {
        line.remove_suffix(1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
    }
    return line;
}

RecordStatus CheckRecord(std::string_view line) {
    line = StripLineEnd(line);
    if (line.empty() || !IsLetter(line[0])) {
        return RecordStatus::NotARecord;
    }
    const char letter = line[0];
    const std::string_view rest = line.substr(1);
    if (letter == 'V') {
        return rest.size() == 3 ? RecordStatus::Unchecked : RecordStatus::BadLayout;
    }
    if (letter == 'v') {
        for (char c : rest) {
            if (!IsLetter(c) && !IsDigit(c) && c != ' ') {
                return RecordStatus::BadLayout;
            }
        }
        return RecordStatus::Unchecked;
    }
    if (rest.size() % 2 != 0) {
        return RecordStatus::BadHex;
    }
    std::vector<uint8_t> bytes;
    uint8_t sum = 0;
    for (std::size_t i = 0; i < rest.size(); i += 2) {
        int high = HexValue(rest[i]);
        int low = HexValue(rest[i + 1]);
        if (high < 0 || low < 0) {
            return RecordStatus::BadHex;
        }
        bytes.push_back(static_cast<uint8_t>(high * 16 + low));
        sum = static_cast<uint8_t>(sum + bytes.back());
    }
    if (bytes.empty()) {
        return RecordStatus::BadLayout;
    }
    if (auto expected = ExpectedBytes(letter, bytes); expected && *expected != bytes.size()) {
        return RecordStatus::BadLayout;
    }
    return sum == 0xFF ? RecordStatus::Valid : RecordStatus::BadChecksum;
}

std::string WithBadChecksum(std::string_view record) {
    std::string out(record);
    if (out.size() < 3 || out[0] == 'V' || out[0] == 'v') {
        return out;
    }
    const std::size_t at = out.size() - 2;
    int high = HexValue(out[at]);
    int low = HexValue(out[at + 1]);
    uint8_t value = static_cast<uint8_t>((high < 0 ? 0 : high) * 16 + (low < 0 ? 0 : low));
    out.resize(at);
    AppendHex(out, static_cast<uint8_t>(value + 1));
    return out;
}

std::string WithLowerCaseHex(std::string_view record) {
    std::string out(record);
    if (out.empty() || out[0] == 'V' || out[0] == 'v') {
        return out;
    }
    for (std::size_t i = 1; i < out.size(); ++i) {
        if (out[i] >= 'A' && out[i] <= 'F') {
            out[i] = static_cast<char>(out[i] - 'A' + 'a');
        }
    }
    return out;
}

int VersionOf(const MemoryImage& records) {
    int version = 300;
    for (const std::string& r : records) {
        if (!r.empty() && (r[0] == 'V' || r[0] == 'v')) {
            version = std::atoi(std::string(StripLineEnd(r).substr(1)).c_str());
        }
    }
    return version;
}

std::string ReadableText(const MemoryImage& records, std::size_t* lines) {
    std::string text;
    std::size_t count = 0;
    for (const std::string& r : records) {
        if (r.size() < 3 || r[0] != 'n' || HexValue(r[1]) < 0 || HexValue(r[2]) < 0) {
            continue;
        }
        const std::size_t n = static_cast<std::size_t>(HexValue(r[1])) * 16 +
                              static_cast<std::size_t>(HexValue(r[2]));
        if (n == 0) {
            continue;
        }
        ++count;
        for (std::size_t k = 0; k < n && 4 + 2 * k < r.size(); ++k) {
            const int high = HexValue(r[3 + 2 * k]);
            const int low = HexValue(r[4 + 2 * k]);
            if (high < 0 || low < 0) {
                break;
            }
            const char c = static_cast<char>(high * 16 + low);
            if (c == '\r') {
                text += '\n';
            } else if (c != '\0' && c != '\n') {
                text += c;
            }
        }
    }
    if (lines) {
        *lines = count;
    }
    return text;
}

MemoryImage ReadMemoryFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot open " + path.string() + ": " +
                                 std::generic_category().message(errno));
    }
    std::ostringstream contents;
    contents << in.rdbuf();
    if (in.bad()) {
        throw std::runtime_error("cannot read " + path.string());
    }
    const std::string bytes = contents.str();
    MemoryImage records;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t lf = bytes.find('\n', start);
        if (lf == std::string::npos) {
            records.push_back(bytes.substr(start));
            break;
        }
        records.emplace_back(StripLineEnd(std::string_view(bytes).substr(start, lf + 1 - start)));
        start = lf + 1;
    }
    return records;
}

void WriteMemoryFile(const std::filesystem::path& path, const MemoryImage& records) {
    std::string bytes;
    for (const std::string& r : records) {
        bytes += r;
        bytes += "\r\n";
    }
    WriteBytesFile(path, bytes);
}

void WriteBytesFile(const std::filesystem::path& path, std::string_view bytes) {
    // Into a temporary file beside the target, renamed over it only when
    // complete: an earlier file is never left half overwritten.
    std::string temp = path.string() + ".XXXXXX";
    auto fail = [&](const char* what, int error) {
        throw std::runtime_error(std::string(what) + " " + path.string() + ": " +
                                 std::generic_category().message(error));
    };
    int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        fail("cannot create", errno);
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t put = write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            int error = put < 0 ? errno : EIO;
            close(fd);
            unlink(temp.c_str());
            fail("cannot write", error);
        }
        done += static_cast<std::size_t>(put);
    }
    if (close(fd) != 0) {
        int error = errno;
        unlink(temp.c_str());
        fail("cannot write", error);
    }
    if (rename(temp.c_str(), path.c_str()) != 0) {
        int error = errno;
        unlink(temp.c_str());
        fail("cannot replace", error);
    }
}

}  // namespace orv::devsim
