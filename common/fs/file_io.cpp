#include "fs/file_io.h"

#include <sys/stat.h>

#include <memory>

#include "text/utf16.h"

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace fs {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

FileInfo Inspect(const std::u16string& path) {
#ifdef _WIN32
  struct _stat64 status;
  const std::wstring widePath(path.begin(), path.end());
  if (_wstat64(widePath.c_str(), &status) != 0) return {};
  const bool regular = (status.st_mode & _S_IFMT) == _S_IFREG;
#else
  struct stat status;
  if (stat(text::Utf16ToUtf8(path).c_str(), &status) != 0) return {};
  const bool regular = S_ISREG(status.st_mode);
#endif
  if (!regular) return {FileKind::Other, 0};
  return {FileKind::Regular, static_cast<uint64_t>(status.st_size)};
}

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

std::FILE* OpenRegularFileForReading(const std::u16string& path) {
#ifdef _WIN32
  // No FIFOs on this side: a path that opens is checked after the open, on the handle.
  FilePtr file(OpenFile(path, "rb"));
  struct _stat64 status;
  if (!file || _fstat64(_fileno(file.get()), &status) != 0 ||
      (status.st_mode & _S_IFMT) != _S_IFREG) {
    return nullptr;
  }
  return file.release();
#else
  // Non-blocking, so that a FIFO without a writer cannot hold the open; checked on the
  // descriptor, so that the file read is the one checked.
  const int fd = open(text::Utf16ToUtf8(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat status;
  std::FILE* file = nullptr;
  if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) file = fdopen(fd, "rb");
  if (file == nullptr) close(fd);
  return file;
#endif
}

std::optional<std::string> ReadWholeFile(const std::u16string& path, uint64_t maxBytes) {
  FilePtr file(OpenRegularFileForReading(path));
  if (!file) return std::nullopt;
  std::string bytes;
  char chunk[4096];
  size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
    // Checked while reading, not from the size: the file may grow after it was opened.
    if (got > maxBytes - bytes.size()) return std::nullopt;
    bytes.append(chunk, got);
  }
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
