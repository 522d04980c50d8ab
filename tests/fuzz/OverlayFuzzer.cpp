// Arbitrary bytes as a keyboard overlay file. Besides what the sanitizers
// catch: the reader and inspect's report agree on whether the program can
// open it, and what the reader took is written back and read as the same.
#include <string>

#include "overlay/OverlayFile.h"
#include "overlay/OverlayReport.h"
#include "tests/fuzz/FuzzSupport.h"

using orv::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    orv::fuzz::FuzzReporter::Install();
    orv::fuzz::InputFile input(data, size);
    orv::OverlayCells cells;
    bool read = orv::ReadOverlayFile(input.Path(), cells).ok;
    std::string bytes(reinterpret_cast<const char*>(data), size);
    orv::OverlayFileReport report = orv::DescribeOverlayFile(bytes);
    Require(read == report.readable, "the report knows what the reader accepts");
    Require(report.readable == (report.firstRejectedRecord == 0), "a refusal names its record");
    if (!read) {
        return 0;
    }
    for (int k = 0; k < orv::OverlayCellCount; ++k) {
        std::string record = orv::FormatOverlayRecord(cells, k);
        Require(record.size() == static_cast<size_t>(orv::OverlayRecordSize), "139 characters");
        orv::OverlayCells back;
        Require(orv::DecodeOverlayRecord(record, k, back.Cell(k)).Accepted(),
                "a written record is read");
        Require(back.TextLength(k) == cells.TextLength(k), "the text keeps its length");
        for (int i = 0; i < orv::OverlayCellSize; ++i) {
            Require(back.Cell(k)[static_cast<size_t>(i)] == cells.Cell(k)[static_cast<size_t>(i)],
                    "the cell comes back");
        }
    }
    return 0;
}
