#include "core/Hex.h"

#include "core/Errors.h"
#include "core/StringTable.h"

namespace orv {

void AppendHexByte(std::string& out, uint8_t value) {
    static constexpr char kHexDigits[] = "0123456789ABCDEF";
    out += kHexDigits[value >> 4];
    out += kHexDigits[value & 0x0F];
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    ThrowORVException(IDM_INVALID_CHARACTER);
}

}  // namespace orv
