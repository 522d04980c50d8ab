// Cell bytes and the editor's text. Cells hold 8-bit bytes; the editor holds
// Unicode text. Every byte value 1-255 is exactly one character of the text:
//   - byte b is U+00bb (Latin-1), control characters included;
//   - the line-break byte CR is a line break, '\n' in the text;
//   - LF, which would otherwise be a second kind of line break, is U+240A
//     (the symbol for line feed), so that it stays visible and comes back as LF.
// Coming back from the editor, every form of line break (LF, CR LF, a lone CR,
// U+2028, U+2029) is one CR byte. A character without a single-byte form is
// refused, never changed into another.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/Outcome.h"
#include "overlay/OverlayCells.h"

namespace orv {

constexpr char32_t kLineFeedSymbol = U'\u240A';

// The character that shows byte b (1-255) in the editor.
char32_t CharForCellByte(uint8_t b);
// The byte that stores character c; none for U+0000 (it would end the text)
// and for characters without a single-byte form.
std::optional<uint8_t> CellByteForChar(char32_t c);

// The cell's text, up to its first zero byte, as the editor shows it.
std::u32string CellToEditorText(ConstOverlayCell cell);

enum class CellTextStatus {
    Ok,
    TooLong,              // more than 63 bytes; the cell holds the first 63
    UnstorableCharacter,  // the cell is unchanged
};

struct CellTextResult {
    CellTextStatus status = CellTextStatus::Ok;
    char32_t character = 0;  // the refused character
    size_t position = 0;     // its index in the text
};

// Stores the editor's text in the cell: its bytes, then zeros.
CellTextResult EditorTextToCell(std::u32string_view text, OverlayCell cell);

// The message for a refused character, naming it.
std::string UnstorableCharacterMessage(char32_t c);

// What the user is told when the text did not fit the cell: success without a
// message for Ok, else a failure saying why.
Outcome CellTextOutcome(const CellTextResult& result);

}  // namespace orv
