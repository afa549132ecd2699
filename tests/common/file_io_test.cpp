#include "fs/file_io.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>

#include "scratch_dir.h"
#include "text/utf16.h"

namespace {

using ostrel::testing::ScratchDir;

constexpr uint64_t kNoLimit = std::numeric_limits<uint64_t>::max();

// Only a regular file within the limit is read; nothing else may block or grow the reader.
TEST(ReadWholeFile, ReadsOnlyRegularFilesWithinTheLimit) {
  ScratchDir dir;
  dir.WriteFile(u"four", "abcd");
  const std::string big(5000, 'b');  // more than one read chunk
  dir.WriteFile(u"big", big);
  dir.MakeFolder(u"folder");
#ifndef _WIN32
  dir.MakeFifo(u"fifo");
  dir.MakeLink(u"zero", "/dev/zero");
  dir.MakeLink(u"link", "four");
#endif
  const struct {
    const char16_t* name;
    uint64_t maxBytes;
    fs::FileKind kind;
    uint64_t size;
    std::optional<std::string> content;
  } cases[] = {
      {u"four", kNoLimit, fs::FileKind::Regular, 4, "abcd"},
      {u"four", 4, fs::FileKind::Regular, 4, "abcd"},
      {u"four", 3, fs::FileKind::Regular, 4, std::nullopt},
      {u"big", 5000, fs::FileKind::Regular, 5000, big},
      {u"big", 4999, fs::FileKind::Regular, 5000, std::nullopt},
      {u"none", kNoLimit, fs::FileKind::Missing, 0, std::nullopt},
      {u"folder", kNoLimit, fs::FileKind::Other, 0, std::nullopt},
#ifndef _WIN32
      {u"fifo", kNoLimit, fs::FileKind::Other, 0, std::nullopt},
      {u"zero", kNoLimit, fs::FileKind::Other, 0, std::nullopt},
      {u"link", kNoLimit, fs::FileKind::Regular, 4, "abcd"},
#endif
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(text::Utf16ToUtf8(c.name) + " limit " + std::to_string(c.maxBytes));
    const fs::FileInfo info = fs::Inspect(dir.File(c.name));
    EXPECT_EQ(info.kind, c.kind);
    EXPECT_EQ(info.size, c.size);
    EXPECT_EQ(fs::ReadWholeFile(dir.File(c.name), c.maxBytes), c.content);
  }
}

}  // namespace
