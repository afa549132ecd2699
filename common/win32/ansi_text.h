// Wide system text in the ANSI code page, as device paths and names are kept narrow.
#pragma once

#include <windows.h>

#include <string>

namespace win32 {

// The whole text converted; a caller that keeps only a prefix cuts it afterwards, since a
// conversion into a buffer too small for the whole fails and leaves that buffer undefined.
inline std::string WideToAnsi(const wchar_t* wide) {
  std::string narrow;
  const int size = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (size > 1) {
    narrow.resize(static_cast<size_t>(size));
    WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow.data(), size, nullptr, nullptr);
    narrow.resize(static_cast<size_t>(size) - 1);  // without the terminator
  }
  return narrow;
}

}  // namespace win32
