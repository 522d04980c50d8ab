// The help pages of the two programs' command lines: rows of a term (an
// option or a command with what it takes) and what it does, wrapped to fit a
// terminal.
#pragma once

#include <string>
#include <vector>

namespace orv {

// The version both programs show with --version.
inline constexpr char kProgramVersion[] = "7.01";

struct HelpRow {
    std::string term;
    std::string text;
};

// Rows under a heading (none when it is empty).
struct HelpSection {
    std::string heading;
    std::vector<HelpRow> rows;
};

// The sections one after another, each row as two columns: the term, and its
// text wrapped at word boundaries within width characters, every text
// starting in the same column. A term too wide for the column puts its text
// on the next line.
std::string FormatHelpSections(const std::vector<HelpSection>& sections, size_t width = 79);

// text wrapped at word boundaries within width characters, every line ending
// in a line feed; its own line feeds are kept.
std::string WrapText(const std::string& text, size_t width = 79, size_t indent = 0);

}  // namespace orv
