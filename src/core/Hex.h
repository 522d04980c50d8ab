// Upper-case hexadecimal digits, the way records carry bytes on the line and
// in files.
#pragma once

#include <cstdint>
#include <string>

namespace orv {

// Two upper-case hexadecimal digits of value.
void AppendHexByte(std::string& out, uint8_t value);
// 0-15 for '0'-'9' and 'A'-'F'; anything else raises message 133.
int HexDigitValue(char c);

}  // namespace orv
