// Four hexadecimal characters to a 16-bit value, the rule shared by hardware ids, pid.ini
// section names and image versions.
#pragma once

#include <cstdint>

namespace text {

// Reads exactly four characters. NUL and space use up their position without a digit;
// '0'-'9' count 0-9; 'A'-'F', 'a'-'f' and the six characters after '9' (":;<=>?") count
// 10-15; anything else gives 0xFFFF.
uint16_t ParseHex4(const char16_t* text);
uint16_t ParseHex4(const char* text);

}  // namespace text
