// Arbitrary bytes as a keyboard overlay file. Besides what the sanitizers
// catch: the reader and inspect's report agree on whether the program can
// open it, and the text the reader took is written back and read as the
// same, with nothing but zeros after it, in a file with no fault at all.
#include <string>

#include "overlay/OverlayFile.h"
#include "overlay/OverlayReport.h"
#include "tests/fuzz/FuzzSupport.h"

using orv::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    orv::fuzz::FuzzReporter::Install();
    orv::fuzz::InputFile input(data, size);
    orv::OverlayCells cells;
    bool read = orv::ReadOverlayFile(input.Path(), cells).Ok();
    std::string bytes(reinterpret_cast<const char*>(data), size);
    orv::OverlayFileReport report = orv::DescribeOverlayFile(bytes);
    Require(read == report.readable, "the report knows what the reader accepts");
    Require(report.readable == (report.firstRejectedRecord == 0), "a refusal names its record");
    if (!read) {
        return 0;
    }
    std::string written;
    for (int k = 0; k < orv::OverlayCellCount; ++k) {
        std::string record = orv::FormatOverlayRecord(cells, k);
        written += record;
        Require(record.size() == static_cast<size_t>(orv::OverlayRecordSize), "139 characters");
        orv::OverlayCells back;
        Require(orv::DecodeOverlayRecord(record, k, back.Cell(k)).Accepted(),
                "a written record is read");
        Require(back.Text(k) == cells.Text(k), "the text comes back");
        for (int i = back.TextLength(k); i < orv::OverlayCellSize; ++i) {
            Require(back.Cell(k)[static_cast<size_t>(i)] == 0, "zeros after the text");
        }
    }
    orv::OverlayFileReport again = orv::DescribeOverlayFile(written);
    Require(again.readable && again.problems.empty(), "what the writer writes has no fault");
    return 0;
}
