// Whole-file reads and writes by UTF-16 path, the one place that turns such a path into an
// open file on each platform.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

namespace fs {

// mode is an fopen mode ("rb", "wb", "ab", ...).
std::FILE* OpenFile(const std::u16string& path, const char* mode);

std::optional<std::string> ReadWholeFile(const std::u16string& path);
bool WriteWholeFile(const std::u16string& path, const std::string& bytes);

}  // namespace fs
