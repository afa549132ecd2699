#include "text/hex4.h"

#include <type_traits>

namespace text {
namespace {

template <typename Char>
uint16_t ParseHex4Of(const Char* text) {
  uint16_t value = 0;
  int shift = 12;
  for (int i = 0; i < 4; ++i, shift -= 4) {
    const auto c = static_cast<uint32_t>(static_cast<std::make_unsigned_t<Char>>(text[i]));
    uint32_t digit = 0;
    if (c == 0 || c == ' ') {
      continue;
    } else if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= ':' && c <= '?') {
      digit = c - ':' + 10;
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else {
      return 0xFFFF;
    }
    value = static_cast<uint16_t>(value + (digit << shift));
  }
  return value;
}

}  // namespace

uint16_t ParseHex4(const char16_t* text) { return ParseHex4Of(text); }
uint16_t ParseHex4(const char* text) { return ParseHex4Of(text); }

}  // namespace text
