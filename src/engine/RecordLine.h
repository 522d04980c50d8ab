// The lines of a memory file as a restore reads and sends them. The restore
// and orv-cli's inspect both read through here, so that a file is judged
// exactly as it would be sent.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "engine/Record.h"
#include "engine/TransferFile.h"

namespace orv {

// The longest line a restore reads as one record, line end included.
constexpr int kMaxRecordLine = kRecordBufferSize - 1;

// What keeps a line from being sent as a record.
enum class LineFault {
    None,
    Empty,        // nothing before its line end
    NoLetter,     // does not start with a letter
    ControlByte,  // a control byte or one outside ASCII before its line end
};

struct RecordLine {
    // As sent: the file's bytes, and CR LF (or the LF) that a last line lacks.
    std::string text;
    bool endsLine = false;  // the file's line ends here (not cut at the limit)
    int addedLineEnd = 0;   // characters added to complete the last line
    LineFault fault = LineFault::None;
    size_t faultColumn = 0;  // where the fault is, from 0

    // The single T without line end that ends a file continued on another disk.
    bool IsContinuationMarker() const { return addedLineEnd == 2 && text == "T\r\n"; }
};

// Why a line (with or without its line end) cannot be sent; sets column.
LineFault CheckRecordLine(std::string_view line, size_t& column);

// Reads the next line of a memory file, at most kMaxRecordLine characters
// (stopping after LF; the rest of a longer line is the next line), and judges
// it. False at the end of the file. Raises FileError.
bool ReadRecordLine(TransferFile& file, RecordLine& line);

}  // namespace orv
