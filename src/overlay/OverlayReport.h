// What `orv-cli inspect` says about a keyboard overlay file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orv {

// True when the file starts with a record of the overlay's shape ("N4207" and
// CR LF after 139 characters), so that even a damaged or short overlay file is
// described as one.
bool LooksLikeOverlayFile(std::string_view bytes);

struct OverlayFileReport {
    size_t size = 0;
    // The program's reader would accept the file (checksums are not part of that).
    bool readable = false;
    int firstRejectedRecord = 0;  // 1-32 when not readable
    // One line per record that decodes: the cell's label and its text, quoted,
    // with control characters and bytes over 126 made visible.
    std::vector<std::string> cells;
    // Everything wrong with the file, record by record.
    std::vector<std::string> problems;
    // Worth knowing, but nothing wrong.
    std::vector<std::string> notes;

    // The whole report as lines of text, ending with a newline.
    std::string ToText() const;
};

OverlayFileReport DescribeOverlayFile(std::string_view bytes);

// Bytes as printable ASCII: \r \n \t \\ \" and \xNN for the others.
std::string VisibleText(std::string_view bytes);

}  // namespace orv
