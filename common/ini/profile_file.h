// INI files read and written with the rules of the Windows private-profile functions, so that
// pid.ini, the settings file and the simulated world's file behave the same on every platform.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace profile {

// Profile files are small; one larger than this (1 MiB) is treated as unreadable, like one
// that is not a regular file, so that a wrong file cannot make a reader grow without end.
constexpr uint64_t kMaxFileBytes = uint64_t{1} << 20;

// As GetPrivateProfileSectionNamesW: the names, each NUL-terminated, then one more NUL.
// Returns the characters copied without the final NUL; a name that does not fit is cut and
// size-2 returned. A missing or unreadable file gives 0 and an empty list.
uint32_t GetSectionNames(const std::u16string& path, char16_t* buffer, uint32_t size);

// As GetPrivateProfileStringW with a section and a key: names compare without regard to
// ASCII case, the value is trimmed and one pair of surrounding quotes stripped, the default
// serves for a missing or unreadable file, a missing section or key. Copies at most size-1 characters plus a NUL and
// returns the number copied.
uint32_t GetString(const std::u16string& path, std::u16string_view section,
                   std::u16string_view key, std::u16string_view defaultValue,
                   char16_t* buffer, uint32_t size);

// Convenience over GetString without a caller buffer (no length limit).
std::u16string GetString(const std::u16string& path, std::u16string_view section,
                         std::u16string_view key, std::u16string_view defaultValue);

// As WritePrivateProfileStringW with a section, a key and a value: replaces the key's line
// or adds it (and the section), keeping every other line and the file's encoding. A new file
// is written in the ANSI code page with CRLF line ends. Leading blanks of the value are
// dropped. Returns false when the file cannot be written, and leaves an existing file that
// cannot be read (not regular, too large) untouched.
bool WriteString(const std::u16string& path, std::u16string_view section, std::u16string_view key,
                 std::u16string_view value);

}  // namespace profile
