// Whole-file reads and writes by UTF-16 path, the one place that turns such a path into an
// open file on each platform.
#pragma once

#include <cstdint>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>

namespace fs {

// What a path names, links followed. Only regular files are ever read: a FIFO would block
// the reader for ever and a device such as /dev/zero never ends.
enum class FileKind { Missing, Regular, Other };
struct FileInfo {
  FileKind kind = FileKind::Missing;
  uint64_t size = 0;  // of a regular file
};
FileInfo Inspect(const std::u16string& path);

// mode is an fopen mode ("rb", "wb", "ab", ...).
std::FILE* OpenFile(const std::u16string& path, const char* mode);

// A regular file opened "rb"; nullptr when the path is missing or names anything else. The
// open itself never waits (a FIFO without a writer is refused, not waited for).
std::FILE* OpenRegularFileForReading(const std::u16string& path);

// The whole content of a regular file of at most maxBytes; nothing when the file is missing,
// not regular, longer, or cannot be read.
std::optional<std::string> ReadWholeFile(
    const std::u16string& path, uint64_t maxBytes = std::numeric_limits<uint64_t>::max());
bool WriteWholeFile(const std::u16string& path, const std::string& bytes);

}  // namespace fs
