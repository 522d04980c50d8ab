// Arbitrary bytes as a file for orv-cli inspect. Besides what the sanitizers
// catch: the report ends with its count of problems, the exit code follows
// it, and a memory file reported clean is one the restore would send whole.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "cli/FileReport.h"
#include "engine/RecordLine.h"
#include "engine/TransferFile.h"
#include "tests/fuzz/FuzzSupport.h"

using orv::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    orv::fuzz::FuzzReporter::Install();
    orv::fuzz::InputFile input(data, size);
    char* text = nullptr;
    size_t textSize = 0;
    std::FILE* out = ::open_memstream(&text, &textSize);
    Require(out != nullptr, "a report can be collected");
    int exitCode = orv::cli::RunInspect(input.Path(), out);
    std::fclose(out);
    std::string report(text, textSize);
    std::free(text);

    Require(exitCode == 0 || exitCode == 1, "the exit code is 0 or 1");
    Require(report.ends_with('\n'), "the report ends with a whole line");
    size_t start = report.rfind('\n', report.size() - 2);
    std::string last = report.substr(start == std::string::npos ? 0 : start + 1);
    Require(last == "1 problem\n" || last.ends_with(" problems\n"),
            "the report ends with its count");
    Require((exitCode == 0) == (last == "0 problems\n"), "exit 0 exactly when nothing is wrong");
    if (exitCode == 0 && report.starts_with(input.Path() + ": memory file, ")) {
        orv::TransferFile file;
        file.OpenForRead(input.Path());
        orv::RecordLine line;
        while (orv::ReadRecordLine(file, line)) {
            Require(line.fault == orv::LineFault::None || line.IsContinuationMarker(),
                    "a clean memory file is sent whole");
            Require(line.addedLineEnd == 0 || line.IsContinuationMarker(),
                    "a clean memory file has its line ends");
        }
    }
    return 0;
}
