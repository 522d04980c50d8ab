// Arbitrary bytes as a memory file, read line by line the way a restore reads
// and judges it. Besides what the sanitizers catch: the lines must give back
// the file byte for byte, fit the record buffer, get a line end only at the
// very end, and be judged alike wherever they are judged.
#include <string>
#include <string_view>

#include "engine/Record.h"
#include "engine/RecordLine.h"
#include "engine/TransferFile.h"
#include "tests/fuzz/FuzzSupport.h"

using orv::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    orv::fuzz::FuzzReporter::Install();
    orv::fuzz::InputFile input(data, size);
    orv::TransferFile file;
    file.OpenForRead(input.Path());
    Require(file.Length() == static_cast<long long>(size), "the length is the file's");

    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::string rebuilt;
    orv::RecordLine line;
    bool ended = false;
    while (orv::ReadRecordLine(file, line)) {
        Require(!ended, "only the last line gets a line end added");
        Require(!line.text.empty(), "a line holds something");
        Require(line.text.size() <= static_cast<size_t>(orv::kRecordBufferSize),
                "a line fits the record buffer");
        orv::RecordBuffer buffer;
        Require(buffer.Assign(line.text), "a line goes into the record buffer");
        std::string_view own(line.text.data(), line.text.size() - line.addedLineEnd);
        Require(own.size() <= static_cast<size_t>(orv::kMaxRecordLine),
                "a line is within the limit");
        Require(line.endsLine == own.ends_with('\n'), "a line ends with LF or is cut");
        Require(own.find('\n') == (line.endsLine ? own.size() - 1 : std::string_view::npos),
                "one line at a time");
        if (line.addedLineEnd > 0) {
            ended = true;
            Require(line.text.ends_with("\r\n"), "a completed line ends with CR LF");
            Require(!own.ends_with('\n'), "only a line without LF is completed");
        }
        size_t column = 0;
        Require(orv::CheckRecordLine(line.text, column) == line.fault, "one judgement");
        if (line.fault == orv::LineFault::None) {
            char first = line.text.front();
            Require((first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z'),
                    "a line sent starts with a letter");
            std::string_view body = line.text;
            body.remove_suffix(body.ends_with("\r\n") ? 2 : body.ends_with('\n') ? 1 : 0);
            for (char c : body) {
                Require(c >= 0x20 && c <= 0x7E, "a line sent is printable");
            }
        } else {
            Require(column < line.text.size(), "the fault is inside the line");
        }
        rebuilt += own;
    }
    Require(rebuilt == bytes, "the lines are the file");
    return 0;
}
