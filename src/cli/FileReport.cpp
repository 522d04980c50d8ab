#include "cli/FileReport.h"

#include <map>
#include <vector>

#include "cli/Commands.h"
#include "cli/FileReportTexts.h"
#include "core/Errors.h"
#include "core/Hex.h"
#include "core/StringTable.h"
#include "engine/Record.h"
#include "engine/RecordLine.h"
#include "engine/TransferFile.h"
#include "overlay/OverlayFile.h"
#include "overlay/OverlayReport.h"

namespace orv::cli {

namespace {

// Memory files hold a few megabytes at most; anything this large is no memory
// file, and reading it whole would only exhaust the memory.
constexpr long long kMaxInspectMiB = 64;
constexpr long long kMaxInspectBytes = kMaxInspectMiB << 20;
constexpr int kMaxListedProblems = 1000;
constexpr size_t kMaxTextLine = 239;
constexpr uint8_t kIconRecordType = 0x1C;
constexpr std::string_view kSoundHeader = "N01DD21";
constexpr std::string_view kIconHeaderStart = "N091C";

struct TooLarge {};

// One line as the restore reads it, with where it stands in the file.
struct Piece {
    const RecordLine& line;
    int number;      // the file's line number, from 1
    bool continued;  // the rest of a line cut at the restore's limit
    // The line's characters before its line end, as the file holds them.
    std::string_view Body() const {
        std::string_view text = line.text;
        if (text.ends_with("\r\n")) {
            text.remove_suffix(2);
        } else if (text.ends_with('\n')) {
            text.remove_suffix(1);
        }
        return text;
    }
    // The file's own bytes of this piece.
    std::string_view Raw() const {
        return std::string_view(line.text).substr(
            0, line.text.size() - static_cast<size_t>(line.addedLineEnd));
    }
};

// Reads the whole file through the restore's reader, from its start. Raises
// FileError, and TooLarge when the file grows past the limit while read.
template <class Visit>
void ForEachPiece(TransferFile& file, Visit visit) {
    file.Rewind();
    RecordLine line;
    int number = 1;
    bool continued = false;
    long long bytes = 0;
    while (ReadRecordLine(file, line)) {
        bytes += static_cast<long long>(line.text.size());
        if (bytes > kMaxInspectBytes) {
            throw TooLarge{};
        }
        visit(Piece{line, number, continued});
        continued = !line.endsLine && line.addedLineEnd == 0;
        if (line.endsLine) {
            ++number;
        }
    }
}

bool IsUpperHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

std::string HexText(int value) {
    std::string s = "0x";
    AppendHexByte(s, static_cast<uint8_t>(value));
    return s;
}

// A record's characters, then the CR LF a restore sends after them.
class LineSource : public ByteSource {
public:
    explicit LineSource(std::string_view body) : m_body(body) {}
    void ReadChars(char* dest, int count) override {
        for (int i = 0; i < count; ++i) {
            if (m_pos >= m_body.size() + 2) {
                ThrowORVException(IDM_COMM_TIMEOUT);
            }
            dest[i] = m_pos < m_body.size() ? m_body[m_pos] : "\r\n"[m_pos - m_body.size()];
            ++m_pos;
        }
    }
    size_t Position() const { return m_pos; }

private:
    std::string_view m_body;
    size_t m_pos = 0;
};

// What is wrong with the record of a line that a restore would send, or
// nothing when it is a good record.
std::string DiagnoseRecord(std::string_view body) {
    LineSource source(body);
    RecordBuffer buffer;
    RecordResult result = RecordResult::Invalid;
    try {
        result = ReceiveRecord(source, buffer);
    } catch (const CORVException& e) {
        if (e.MessageId() == IDM_INVALID_CHARACTER && source.Position() >= 2) {
            // The pair just read holds the character at fault.
            size_t at = source.Position() - 2;
            if (at < body.size() && IsUpperHexDigit(body[at])) {
                ++at;
            }
            if (at < body.size()) {
                char c = body[at];
                bool lower = c >= 'a' && c <= 'f';
                return FormatString(lower ? IDS_INSPECT_LOWER_CASE_HEX : IDS_INSPECT_NOT_HEX,
                                    std::string(1, c), std::to_string(at + 1));
            }
        }
        return LoadString(IDS_INSPECT_CUT_SHORT);
    }
    size_t used = source.Position();
    char letter = body.front();
    switch (result) {
        case RecordResult::EndOfTransfer:
            return LoadString(IDS_INSPECT_END_MARK);
        case RecordResult::TooLong:
            return LoadString(IDS_INSPECT_LINE_TOO_LONG);
        case RecordResult::Invalid:
            if (used > body.size()) {
                return LoadString(IDS_INSPECT_CUT_SHORT);
            }
            if (used == 1 || letter == 'E' || letter == 'e') {
                return FormatString(IDS_INSPECT_UNKNOWN_TYPE, std::string(1, letter));
            }
            if (used < body.size()) {
                return LoadString(IDS_INSPECT_CHARACTERS_AFTER);
            }
            {
                // The last two characters are the checksum read.
                uint8_t actual = static_cast<uint8_t>(HexDigitValue(body[used - 2]) * 16 +
                                                      HexDigitValue(body[used - 1]));
                uint8_t expected = static_cast<uint8_t>(0xFF - (buffer.checksum - actual));
                return FormatString(IDS_INSPECT_BAD_CHECKSUM, HexText(actual), HexText(expected));
            }
        case RecordResult::Valid:
            break;
    }
    // A v record ends with the first character that is neither letter, digit
    // nor blank: in a good line, the CR of its line end.
    size_t end = letter == 'v' ? body.size() + 1 : body.size();
    return used == end ? std::string() : LoadString(IDS_INSPECT_CHARACTERS_AFTER);
}

// Why a restore would refuse the line, or what is wrong with its record.
std::string LineProblem(const Piece& p) {
    const RecordLine& line = p.line;
    switch (line.fault) {
        case LineFault::Empty:
            return LoadString(IDS_INSPECT_EMPTY_LINE);
        case LineFault::NoLetter:
            return LoadString(IDS_INSPECT_NO_LETTER);
        case LineFault::ControlByte:
            return FormatString(IDS_INSPECT_CONTROL_BYTE,
                                HexText(static_cast<unsigned char>(line.text[line.faultColumn])),
                                std::to_string(line.faultColumn + 1));
        case LineFault::None:
            break;
    }
    if (!line.endsLine && line.addedLineEnd == 0) {
        return LoadString(IDS_INSPECT_LINE_TOO_LONG);
    }
    return DiagnoseRecord(p.Body());
}

std::string LineEndProblem(const Piece& p) {
    if (p.line.addedLineEnd > 0) {
        return LoadString(IDS_INSPECT_NO_LINE_END);
    }
    if (p.line.endsLine && !p.line.text.ends_with("\r\n")) {
        return LoadString(IDS_INSPECT_LF_ONLY);
    }
    return {};
}

std::string Counted(int oneId, int manyId, long long n) {
    return n == 1 ? LoadString(oneId) : FormatString(manyId, std::to_string(n));
}

class Report {
public:
    explicit Report(std::FILE* out) : m_out(out) {}
    void Problem(int line, const std::string& what) {
        Problem(FormatString(IDS_INSPECT_PROBLEM, std::to_string(line), what));
    }
    void Problem(const std::string& text) {
        if (++m_problems <= kMaxListedProblems) {
            std::fprintf(m_out, "%s\n", text.c_str());
        }
    }
    // Lists the problems of a line a restore sends as a record; true when it
    // holds a good record (whatever its line end).
    bool GoodRecord(const Piece& p) {
        std::string record = LineProblem(p);
        for (const std::string& what : {record, LineEndProblem(p)}) {
            if (!what.empty()) {
                Problem(p.number, what);
            }
        }
        return record.empty();
    }
    void Note(const std::string& what) { std::fprintf(m_out, "%s\n", what.c_str()); }
    int Finish() {
        if (m_problems > kMaxListedProblems) {
            Note(FormatString(IDS_INSPECT_MORE_PROBLEMS,
                              std::to_string(m_problems - kMaxListedProblems)));
        }
        Note(Counted(IDS_INSPECT_ONE_PROBLEM, IDS_INSPECT_PROBLEMS, m_problems));
        return m_problems == 0 ? kExitOk : kExitFailed;
    }

private:
    std::FILE* m_out;
    long long m_problems = 0;
};

// What the first reading of the file finds, to tell what kind of file it is.
struct Survey {
    std::string head;  // the first bytes, enough to know an overlay
    std::string firstLine;
    long long lines = 0;
    long long goodRecords = 0;
    bool controlBytes = false;  // other than TAB, CR and LF
    bool visibleText = false;   // anything but blanks and line ends
};

Survey SurveyFile(TransferFile& file) {
    Survey s;
    ForEachPiece(file, [&s](const Piece& p) {
        std::string_view raw = p.Raw();
        if (s.head.size() < static_cast<size_t>(OverlayRecordSize)) {
            s.head += raw.substr(0, static_cast<size_t>(OverlayRecordSize) - s.head.size());
        }
        if (s.lines == 0) {
            s.firstLine = p.Body();
        }
        if (!p.continued) {
            ++s.lines;
            if (p.line.fault == LineFault::None && LineProblem(p).empty()) {
                ++s.goodRecords;
            }
        }
        for (char c : raw) {
            unsigned char u = static_cast<unsigned char>(c);
            s.controlBytes |= (u < 0x20 && c != '\t' && c != '\r' && c != '\n') || u == 0x7F;
            s.visibleText |= c != ' ' && c != '\t' && c != '\r' && c != '\n';
        }
    });
    return s;
}

int InspectMemory(const std::string& path, TransferFile& file, Report& report) {
    std::map<char, long long> counts;
    std::string version;
    long long lines = 0;
    bool continued = false;
    bool lineEnded = true;
    ForEachPiece(file, [&](const Piece& p) {
        // The T that ends a file continued on another disk is no record.
        if (p.line.IsContinuationMarker() && lineEnded) {
            continued = true;
            return;
        }
        lineEnded = p.line.endsLine;
        if (p.continued) {
            return;  // told with the start of its line
        }
        ++lines;
        if (!report.GoodRecord(p)) {
            return;
        }
        char letter = p.line.text.front();
        ++counts[letter];
        if (version.empty() && (letter == 'V' || letter == 'v')) {
            version = p.Body();
        }
    });
    report.Note(Counted(IDS_INSPECT_MEMORY_FILE_ONE, IDS_INSPECT_MEMORY_FILE, lines) +
                (version.empty() ? LoadString(IDS_INSPECT_UNVERSIONED)
                                 : FormatString(IDS_INSPECT_VERSION, version)));
    std::string types = LoadString(IDS_INSPECT_RECORD_TYPES);
    for (const auto& [letter, n] : counts) {
        types += ' ' + std::string(1, letter) + ' ' + std::to_string(n);
    }
    report.Note(types);
    if (continued) {
        report.Note(FormatString(IDS_INSPECT_CONTINUES, ContinuationName(path, "2")));
    }
    return report.Finish();
}

// The decoded bytes of a good counted record: count, data, checksum.
std::vector<int> CountedData(std::string_view body) {
    std::vector<int> bytes;
    for (size_t i = 3; i + 2 < body.size(); i += 2) {
        bytes.push_back(HexDigitValue(body[i]) * 16 + HexDigitValue(body[i + 1]));
    }
    return bytes;
}

int InspectImport(bool icons, TransferFile& file, Report& report) {
    int items = 0;
    int expectedSeq = 0;
    long long bytes = 0;
    std::vector<std::string> names;
    ForEachPiece(file, [&](const Piece& p) {
        // The rest of a line that is too long was told with its start.
        if (p.continued || !report.GoodRecord(p)) {
            return;
        }
        std::string_view body = p.Body();
        char letter = body.front();
        if (letter != 'N' && letter != 'n') {
            report.Problem(p.number, FormatString(IDS_INSPECT_UNEXPECTED_TYPE, body.substr(0, 1)));
            return;
        }
        std::vector<int> data = CountedData(body);
        if (letter == 'N') {
            ++items;
            expectedSeq = 0;
            if (!icons) {
                if (body != kSoundHeader || items > 1) {
                    report.Problem(p.number, LoadString(IDS_INSPECT_NOT_SOUND_HEADER));
                }
                return;
            }
            if (data.size() != 9 || data[0] != kIconRecordType) {
                report.Problem(p.number, LoadString(IDS_INSPECT_NOT_ICON_HEADER));
                return;
            }
            std::string name;
            for (size_t i = 1; i < data.size() && data[i] != 0; ++i) {
                name += static_cast<char>(data[i]);
            }
            names.push_back(name);
            return;
        }
        if (items == 0) {
            report.Problem(p.number, LoadString(IDS_INSPECT_DATA_BEFORE_HEADER));
            return;
        }
        if (data.size() < 2) {
            report.Problem(p.number, LoadString(IDS_INSPECT_NO_SEQUENCE));
            return;
        }
        int seq = data[0] * 256 + data[1];
        if (seq != expectedSeq) {
            report.Problem(p.number, FormatString(IDS_INSPECT_WRONG_SEQUENCE, std::to_string(seq),
                                                  std::to_string(expectedSeq)));
        }
        expectedSeq = seq + 1;
        bytes += static_cast<long long>(data.size()) - 2;
    });
    if (icons) {
        std::string list;
        for (const std::string& n : names) {
            list += (list.empty() ? "" : ", ") + n;
        }
        report.Note(Counted(IDS_INSPECT_ICON_FILE_ONE, IDS_INSPECT_ICON_FILE, items) +
                    (list.empty() ? "" : ": " + list));
    } else {
        report.Note(FormatString(IDS_INSPECT_SOUND_FILE, std::to_string(bytes)));
    }
    return report.Finish();
}

int InspectOverlay(TransferFile& file, std::FILE* out) {
    std::string data;
    ForEachPiece(file, [&data](const Piece& p) { data += p.Raw(); });
    OverlayFileReport overlay = DescribeOverlayFile(data);
    std::fputs(overlay.ToText().c_str(), out);
    long long problems = static_cast<long long>(overlay.problems.size());
    std::fprintf(out, "%s\n",
                 Counted(IDS_INSPECT_ONE_PROBLEM, IDS_INSPECT_PROBLEMS, problems).c_str());
    return problems == 0 ? kExitOk : kExitFailed;
}

int InspectText(TransferFile& file, long long lines, Report& report) {
    report.Note(Counted(IDS_INSPECT_TEXT_FILE_ONE, IDS_INSPECT_TEXT_FILE, lines));
    size_t length = 0;
    ForEachPiece(file, [&](const Piece& p) {
        length = (p.continued ? length : 0) + p.Raw().size();
        bool lineDone = p.line.endsLine || p.line.addedLineEnd > 0;
        if (lineDone && length > kMaxTextLine) {
            report.Note(FormatString(IDS_INSPECT_LONG_TEXT_LINE, std::to_string(p.number)));
        }
    });
    return report.Finish();
}

int Inspect(const std::string& path, TransferFile& file, std::FILE* out) {
    Survey survey = SurveyFile(file);
    std::fprintf(out, "%s: ", path.c_str());
    Report report(out);
    if (survey.lines == 0) {
        report.Problem(LoadString(IDS_INSPECT_EMPTY_FILE));
        return report.Finish();
    }
    // An overlay is a grid of cells rather than a stream of records: say
    // what each cell holds.
    if (LooksLikeOverlayFile(survey.head)) {
        return InspectOverlay(file, out);
    }
    if (survey.firstLine == kSoundHeader) {
        return InspectImport(false, file, report);
    }
    if (survey.firstLine.starts_with(kIconHeaderStart)) {
        return InspectImport(true, file, report);
    }
    // Without a version record the file is records when most lines are good
    // records; plain text has no control bytes. Anything else is judged as a
    // restore would send it.
    char first = survey.head.front();
    bool records = first == 'V' || first == 'v' || survey.goodRecords * 2 > survey.lines;
    if (!records && !survey.controlBytes && survey.visibleText) {
        return InspectText(file, survey.lines, report);
    }
    return InspectMemory(path, file, report);
}

}  // namespace

int RunInspect(const std::string& path, std::FILE* out) {
    try {
        TransferFile file;
        file.OpenForRead(path);
        if (file.Length() > kMaxInspectBytes) {
            throw TooLarge{};
        }
        return Inspect(path, file, out);
    } catch (const FileError& e) {
        std::fprintf(stderr, "%s\n", e.Message().c_str());
    } catch (const TooLarge&) {
        std::fprintf(
            stderr, "%s\n",
            FormatString(IDM_INSPECT_TOO_LARGE, path, std::to_string(kMaxInspectMiB)).c_str());
    }
    return kExitFailed;
}

}  // namespace orv::cli
