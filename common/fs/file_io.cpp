#include "fs/file_io.h"

#include <memory>

#include "text/utf16.h"

namespace fs {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

std::FILE* OpenFile(const std::u16string& path, const char* mode) {
#ifdef _WIN32
  const std::wstring widePath(path.begin(), path.end());
  std::wstring wideMode;
  for (const char* m = mode; *m != '\0'; ++m) wideMode += static_cast<wchar_t>(*m);
  return _wfopen(widePath.c_str(), wideMode.c_str());
#else
  return std::fopen(text::Utf16ToUtf8(path).c_str(), mode);
#endif
}

std::optional<std::string> ReadWholeFile(const std::u16string& path) {
  FilePtr file(OpenFile(path, "rb"));
  if (!file) return std::nullopt;
  std::string bytes;
  char chunk[4096];
  size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) bytes.append(chunk, got);
  if (std::ferror(file.get())) return std::nullopt;
  return bytes;
}

bool WriteWholeFile(const std::u16string& path, const std::string& bytes) {
  FilePtr file(OpenFile(path, "wb"));
  if (!file) return false;
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
    return false;
  }
  return std::fflush(file.get()) == 0;
}

}  // namespace fs
