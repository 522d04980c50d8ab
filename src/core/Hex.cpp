#include "core/Hex.h"

namespace orv {

void AppendHexByte(std::string& out, uint8_t value) {
    static constexpr char kHexDigits[] = "0123456789ABCDEF";
    out += kHexDigits[value >> 4];
    out += kHexDigits[value & 0x0F];
}

}  // namespace orv
