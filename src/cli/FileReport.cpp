#include "cli/FileReport.h"

#include <cerrno>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "cli/Commands.h"
#include "core/Errors.h"
#include "core/StringTable.h"
#include "engine/MemoryFile.h"
#include "engine/Record.h"
#include "overlay/OverlayReport.h"

namespace orv::cli {

namespace {

constexpr int kMaxTextLine = 239;
constexpr uint8_t kIconRecordType = 0x1C;
constexpr std::string_view kSoundHeader = "N01DD21";

struct Line {
    int number;
    std::string text;  // without its line end
    bool crlf;         // ended by CR LF
    bool lineEnd;      // ended by LF at all
};

class StringSource : public ByteSource {
public:
    explicit StringSource(std::string_view s) : m_s(s) {}
    void ReadChars(char* dest, int count) override {
        for (int i = 0; i < count; ++i) {
            if (m_pos >= m_s.size()) {
                ThrowORVException(IDM_COMM_TIMEOUT);  // the line ends inside the record
            }
            dest[i] = m_s[m_pos++];
        }
    }
    size_t Position() const { return m_pos; }

private:
    std::string_view m_s;
    size_t m_pos = 0;
};

std::vector<Line> SplitLines(const std::string& data) {
    std::vector<Line> lines;
    size_t pos = 0;
    int number = 1;
    while (pos < data.size()) {
        size_t nl = data.find('\n', pos);
        Line line{number++, {}, false, nl != std::string::npos};
        size_t end = line.lineEnd ? nl : data.size();
        line.text = data.substr(pos, end - pos);
        if (line.lineEnd && !line.text.empty() && line.text.back() == '\r') {
            line.text.pop_back();
            line.crlf = true;
        }
        bool more = line.lineEnd;
        lines.push_back(std::move(line));
        if (!more) {
            break;
        }
        pos = end + 1;
    }
    return lines;
}

bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// What is wrong with one record line, or empty when it is a good record.
std::string CheckRecord(const std::string& text) {
    if (text.empty()) {
        return "empty line";
    }
    if (!IsLetter(text[0])) {
        return "does not start with a letter";
    }
    StringSource source(text);
    RecordBuffer buffer;
    try {
        switch (ReceiveRecord(source, buffer)) {
            case RecordResult::Valid:
                break;
            case RecordResult::EndOfTransfer:
                return "end-of-transfer mark inside the file";
            case RecordResult::TooLong:
                return "record too long";
            case RecordResult::Invalid:
                return source.Position() == text.size() ? "checksum failure"
                                                        : "unknown record type";
        }
    } catch (const CORVException& e) {
        return e.MessageId() == IDM_INVALID_CHARACTER ? "invalid character (not upper-case hex)"
                                                      : "record cut short";
    }
    if (source.Position() != text.size()) {
        return "characters after the end of the record";
    }
    return {};
}

// Decoded bytes of a good counted record (letter, count, data, checksum).
std::vector<int> CountedData(const std::string& text) {
    std::vector<int> bytes;
    for (size_t i = 3; i + 2 < text.size(); i += 2) {
        bytes.push_back(HexDigitValue(text[i]) * 16 + HexDigitValue(text[i + 1]));
    }
    return bytes;
}

class Report {
public:
    Report(const std::string& path, std::FILE* out) : m_path(path), m_out(out) {}
    void Problem(int line, const std::string& what) {
        std::fprintf(m_out, "line %d: %s\n", line, what.c_str());
        ++m_problems;
    }
    void Note(const std::string& what) { std::fprintf(m_out, "%s\n", what.c_str()); }
    int Finish() {
        std::fprintf(m_out, "%d problem%s\n", m_problems, m_problems == 1 ? "" : "s");
        return m_problems == 0 ? kExitOk : kExitFailed;
    }

private:
    std::string m_path;
    std::FILE* m_out;
    int m_problems = 0;
};

void CheckLineEnds(const std::vector<Line>& lines, Report& report, bool lastMayBeBare) {
    for (const Line& l : lines) {
        bool last = &l == &lines.back();
        if (!l.crlf && !(last && lastMayBeBare && !l.lineEnd)) {
            report.Problem(l.number, l.lineEnd ? "ends with LF only" : "no line end");
        }
    }
}

int InspectMemory(const std::string& path, std::vector<Line> lines, Report& report) {
    bool continued = !lines.empty() && !lines.back().lineEnd && lines.back().text == "T";
    if (continued) {
        lines.pop_back();
    }
    std::map<char, int> counts;
    std::string version;
    for (const Line& l : lines) {
        std::string problem = CheckRecord(l.text);
        if (!problem.empty()) {
            report.Problem(l.number, problem);
            continue;
        }
        ++counts[l.text[0]];
        if (version.empty() && (l.text[0] == 'V' || l.text[0] == 'v')) {
            version = l.text;
        }
    }
    CheckLineEnds(lines, report, false);
    std::ostringstream s;
    s << "memory file, " << lines.size() << " record line" << (lines.size() == 1 ? "" : "s");
    s << (version.empty() ? ", no version record (unversioned)" : ", version record " + version);
    report.Note(s.str());
    std::ostringstream c;
    c << "records by type:";
    for (const auto& [letter, n] : counts) {
        c << ' ' << letter << ' ' << n;
    }
    report.Note(c.str());
    if (continued) {
        report.Note("continuation marker: continues in " + ContinuationName(path, "2"));
    }
    return report.Finish();
}

int InspectImport(bool icons, const std::vector<Line>& lines, Report& report) {
    int items = 0;
    int expectedSeq = 0;
    long long bytes = 0;
    std::vector<std::string> names;
    for (const Line& l : lines) {
        std::string problem = CheckRecord(l.text);
        if (!problem.empty()) {
            report.Problem(l.number, problem);
            continue;
        }
        std::vector<int> data = CountedData(l.text);
        if (l.text[0] == 'N') {
            ++items;
            expectedSeq = 0;
            if (icons) {
                if (data.size() != 9 || data[0] != kIconRecordType) {
                    report.Problem(l.number, "not an icon header record");
                    continue;
                }
                std::string name;
                for (size_t i = 1; i < data.size() && data[i] != 0; ++i) {
                    name += static_cast<char>(data[i]);
                }
                names.push_back(name);
            } else if (l.text != kSoundHeader || items > 1) {
                report.Problem(l.number, "not the one sound header record");
            }
        } else if (l.text[0] == 'n') {
            if (items == 0) {
                report.Problem(l.number, "data record before any header record");
                continue;
            }
            if (data.size() < 2) {
                report.Problem(l.number, "data record without a sequence number");
                continue;
            }
            int seq = data[0] * 256 + data[1];
            if (seq != expectedSeq) {
                report.Problem(l.number, "sequence number " + std::to_string(seq) + ", expected " +
                                             std::to_string(expectedSeq));
            }
            expectedSeq = seq + 1;
            bytes += static_cast<long long>(data.size()) - 2;
        } else {
            report.Problem(l.number, std::string("unexpected record type ") + l.text[0]);
        }
    }
    CheckLineEnds(lines, report, false);
    if (icons) {
        std::string list;
        for (const std::string& n : names) {
            list += (list.empty() ? "" : ", ") + n;
        }
        report.Note("icon import file, " + std::to_string(items) + " icon" +
                    (items == 1 ? "" : "s") + (list.empty() ? "" : ": " + list));
    } else {
        report.Note("sound import file, " + std::to_string(bytes) + " bytes of sound");
    }
    return report.Finish();
}

int InspectOverlay(const std::string& data, std::FILE* out) {
    OverlayFileReport overlay = DescribeOverlayFile(data);
    std::fputs(overlay.ToText().c_str(), out);
    size_t problems = overlay.problems.size();
    std::fprintf(out, "%zu problem%s\n", problems, problems == 1 ? "" : "s");
    return problems == 0 ? kExitOk : kExitFailed;
}

int InspectText(const std::vector<Line>& lines, Report& report) {
    report.Note("text file, " + std::to_string(lines.size()) + " line" +
                (lines.size() == 1 ? "" : "s"));
    for (const Line& l : lines) {
        size_t length = l.text.size() + (l.crlf ? 2 : l.lineEnd ? 1 : 0);
        if (length > static_cast<size_t>(kMaxTextLine)) {
            report.Note("line " + std::to_string(l.number) + " is longer than " +
                        std::to_string(kMaxTextLine) + " bytes and is sent in several records");
        }
    }
    return report.Finish();
}

}  // namespace

int RunInspect(const std::string& path, std::FILE* out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "%s\n", FileError::FromErrno(errno, path).Message().c_str());
        return kExitFailed;
    }
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        std::fprintf(stderr, "%s\n", FileError::FromErrno(EIO, path).Message().c_str());
        return kExitFailed;
    }
    std::fprintf(out, "%s: ", path.c_str());
    Report report(path, out);
    if (data.empty()) {
        report.Note("empty file");
        return report.Finish();
    }
    // An overlay is a grid of cells rather than a stream of records: say
    // what each cell holds.
    if (LooksLikeOverlayFile(data)) {
        return InspectOverlay(data, out);
    }
    std::vector<Line> lines = SplitLines(data);
    const std::string& first = lines.front().text;
    if (first == kSoundHeader) {
        return InspectImport(false, lines, report);
    }
    if (first.size() >= 5 && first.compare(0, 5, "N091C") == 0) {
        return InspectImport(true, lines, report);
    }
    if (data[0] == 'V' || data[0] == 'v') {
        return InspectMemory(path, lines, report);
    }
    // Without a version record: records if most lines are good records.
    size_t good = 0;
    for (const Line& l : lines) {
        good += CheckRecord(l.text).empty() ? 1 : 0;
    }
    if (good * 2 > lines.size()) {
        return InspectMemory(path, lines, report);
    }
    return InspectText(lines, report);
}

}  // namespace orv::cli
