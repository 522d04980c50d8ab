#include "overlay/CellText.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "core/StringTable.h"
#include "overlay/OverlayStrings.h"

namespace orv {

namespace {

constexpr uint8_t kLineFeedByte = 0x0A;

bool IsLineBreak(char32_t c) {
    return c == U'\n' || c == U'\r' || c == U'\u2028' || c == U'\u2029';
}

// UTF-8 of c; nothing for a control character or a value that is not a character.
std::string Utf8(char32_t c) {
    std::string out;
    if (c < 0x20 || (c >= 0xD800 && c <= 0xDFFF)) {
        return out;
    }
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x110000) {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

}  // namespace

char32_t CharForCellByte(uint8_t b) {
    if (b == kCellLineBreak) {
        return U'\n';
    }
    if (b == kLineFeedByte) {
        return kLineFeedSymbol;
    }
    return static_cast<char32_t>(b);
}

std::optional<uint8_t> CellByteForChar(char32_t c) {
    if (IsLineBreak(c)) {
        return kCellLineBreak;
    }
    if (c == kLineFeedSymbol) {
        return kLineFeedByte;
    }
    if (c == 0 || c > 0xFF) {
        return std::nullopt;
    }
    return static_cast<uint8_t>(c);
}

std::u32string CellToEditorText(ConstOverlayCell cell) {
    std::u32string text;
    for (uint8_t b : cell) {
        if (b == 0) {
            break;
        }
        text += CharForCellByte(b);
    }
    return text;
}

CellTextResult EditorTextToCell(std::u32string_view text, OverlayCell cell) {
    std::array<uint8_t, OverlayCellSize> bytes{};
    size_t p = 0;
    for (uint8_t& byte : bytes) {
        if (p >= text.size()) {
            break;
        }
        std::optional<uint8_t> b = CellByteForChar(text[p]);
        if (!b) {
            return {CellTextStatus::UnstorableCharacter, text[p], p};
        }
        byte = *b;
        // CR LF is one line break.
        p += (text[p] == U'\r' && p + 1 < text.size() && text[p + 1] == U'\n') ? 2 : 1;
    }
    std::copy(bytes.begin(), bytes.end(), cell.begin());
    if (p < text.size()) {
        return {CellTextStatus::TooLong, text[p], p};
    }
    return {};
}

std::string UnstorableCharacterMessage(char32_t c) {
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
    std::string utf8 = Utf8(c);
    std::string name = utf8.empty() ? std::string(code) : "\"" + utf8 + "\" (" + code + ")";
    return FormatString(IDM_UNSTORABLE_CHARACTER, name);
}

Outcome CellTextOutcome(const CellTextResult& result) {
    Outcome outcome;
    switch (result.status) {
        case CellTextStatus::Ok:
            break;
        case CellTextStatus::TooLong:
            outcome.Fail(FormatString(IDM_TOO_MANY_CHARACTERS, std::to_string(OverlayCellSize)),
                         MessageIcon::Exclamation);
            break;
        case CellTextStatus::UnstorableCharacter:
            outcome.Fail(UnstorableCharacterMessage(result.character), MessageIcon::Exclamation);
            break;
    }
    return outcome;
}

}  // namespace orv
