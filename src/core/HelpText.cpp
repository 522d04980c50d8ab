#include "core/HelpText.h"

#include <algorithm>
#include <sstream>

namespace orv {
namespace {

constexpr size_t kRowIndent = 2;
constexpr size_t kColumnGap = 2;
// Terms wider than this do not push every text to the right.
constexpr size_t kWidestTermColumn = 28;

// Words of one paragraph, wrapped into lines of at most width characters
// after indent spaces; the first line's indent is taken as already written.
void WrapParagraph(const std::string& paragraph, size_t width, size_t indent, std::string& out) {
    std::istringstream words(paragraph);
    std::string word;
    size_t column = indent;
    bool lineEmpty = true;
    while (words >> word) {
        if (!lineEmpty && column + 1 + word.size() > width) {
            out += '\n';
            out.append(indent, ' ');
            column = indent;
            lineEmpty = true;
        }
        if (!lineEmpty) {
            out += ' ';
            ++column;
        }
        out += word;
        column += word.size();
        lineEmpty = false;
    }
    out += '\n';
}

}  // namespace

std::string WrapText(const std::string& text, size_t width, size_t indent) {
    std::string out;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        out.append(indent, ' ');
        WrapParagraph(line, width, indent, out);
    }
    return out;
}

std::string FormatHelpSections(const std::vector<HelpSection>& sections, size_t width) {
    size_t termWidth = 0;
    for (const HelpSection& section : sections) {
        for (const HelpRow& row : section.rows) {
            if (row.term.size() <= kWidestTermColumn) {
                termWidth = std::max(termWidth, row.term.size());
            }
        }
    }
    const size_t textColumn = kRowIndent + termWidth + kColumnGap;
    std::string out;
    for (const HelpSection& section : sections) {
        if (!out.empty()) {
            out += '\n';
        }
        if (!section.heading.empty()) {
            out += section.heading + '\n';
        }
        for (const HelpRow& row : section.rows) {
            out.append(kRowIndent, ' ');
            out += row.term;
            if (row.term.size() > termWidth) {
                out += '\n';
                out.append(textColumn, ' ');
            } else {
                out.append(textColumn - kRowIndent - row.term.size(), ' ');
            }
            WrapParagraph(row.text, width, textColumn, out);
        }
    }
    return out;
}

}  // namespace orv
