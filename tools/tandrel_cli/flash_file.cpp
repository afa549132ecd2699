#include "flash_file.h"

#include "zel/flash_layout.h"
#include "fs/file_io.h"
#include "text/utf16.h"

namespace cli {
namespace {

// Command-line text is UTF-8 on Linux and the ANSI code page on Windows.
std::u16string PathOf(const std::string& path) {
#ifdef _WIN32
  return text::Cp1252ToUtf16(path);
#else
  return text::Utf8ToUtf16(path);
#endif
}

}  // namespace

std::optional<std::string> ReadFlashFile(const std::string& path) {
  return fs::ReadWholeFile(PathOf(path), zel::kFlashBytes);
}

bool WriteFlashFile(const std::string& path, const std::string& bytes) {
  return fs::WriteWholeFile(PathOf(path), bytes);
}

}  // namespace cli
