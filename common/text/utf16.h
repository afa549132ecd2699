// Conversions between the UTF-16 text of the core and the byte encodings met at its edges.
#pragma once

#include <string>
#include <string_view>

namespace text {

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// Windows-1252, the ANSI code page the profile files and device paths are read in. Its five
// undefined bytes stand for U+0081, U+008D, U+008F, U+0090 and U+009D, both ways.
std::u16string Cp1252ToUtf16(std::string_view bytes);
// Characters outside the code page become '?', as the system conversion does.
std::string Utf16ToCp1252(std::u16string_view utf16);

// UTF-16 code units as little-endian bytes, and back (an odd trailing byte is dropped).
std::string Utf16ToLeBytes(std::u16string_view utf16);
std::u16string LeBytesToUtf16(std::string_view bytes);

char16_t ToUpperAscii(char16_t c);
bool EqualsIgnoreCaseAscii(std::u16string_view a, std::u16string_view b);

}  // namespace text
