// Upper-case hexadecimal digits, the way records carry bytes on the line and
// in files.
#pragma once

#include <cstdint>
#include <string>

namespace orv {

// Two upper-case hexadecimal digits of value.
void AppendHexByte(std::string& out, uint8_t value);

}  // namespace orv
