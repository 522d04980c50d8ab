#include "engine/RecordLine.h"

namespace orv {

namespace {

bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

LineFault CheckRecordLine(std::string_view line, size_t& column) {
    std::string_view body = line;
    if (body.size() >= 2 && body.substr(body.size() - 2) == "\r\n") {
        body.remove_suffix(2);
    } else if (!body.empty() && body.back() == '\n') {
        body.remove_suffix(1);
    }
    column = 0;
    if (body.empty()) {
        return LineFault::Empty;
    }
    if (!IsLetter(body.front())) {
        return LineFault::NoLetter;
    }
    for (size_t i = 0; i < body.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(body[i]);
        if (c < 0x20 || c > 0x7E) {
            column = i;
            return LineFault::ControlByte;
        }
    }
    return LineFault::None;
}

bool ReadRecordLine(TransferFile& file, RecordLine& line) {
    char buffer[kMaxRecordLine];
    int n = file.ReadLine(buffer, kMaxRecordLine);
    if (n == 0) {
        return false;
    }
    line.text.assign(buffer, static_cast<size_t>(n));
    line.endsLine = line.text.back() == '\n';
    line.addedLineEnd = 0;
    // Short of the limit and without LF: the file's last line. The record is
    // complete; only its line end is missing, which the device waits for.
    if (!line.endsLine && n < kMaxRecordLine) {
        std::string_view end = line.text.back() == '\r' ? "\n" : "\r\n";
        line.text += end;
        line.addedLineEnd = static_cast<int>(end.size());
    }
    line.fault = CheckRecordLine(line.text, line.faultColumn);
    return true;
}

}  // namespace orv
