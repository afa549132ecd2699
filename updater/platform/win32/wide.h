// UTF-16 text of the core as the system's wide strings (wchar_t is 16 bits on Windows).
#pragma once

#include <string>

namespace ostrel::win32 {

inline std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }
inline std::u16string FromWide(const wchar_t* text, size_t length) {
  return std::u16string(text, text + length);
}
inline std::u16string FromWide(const std::wstring& text) { return FromWide(text.data(), text.size()); }

}  // namespace ostrel::win32
