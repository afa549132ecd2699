#include "update_log.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "scratch_dir.h"
#include "text/utf16.h"

namespace ostrel {
namespace {

using testing::ScratchDir;

std::string Le(const std::u16string& text) { return text::Utf16ToLeBytes(text); }

TEST(UpdateLog, ByteOrderMarkOnlyWhenTheFileIsCreatedOrEmpty) {
  ScratchDir dir;
  const std::u16string path = dir.File(u"log");
  {
    UpdateLog log;
    ASSERT_TRUE(log.Open(path));
    log.Write(u"A\r\n");
  }
  {
    UpdateLog log;
    ASSERT_TRUE(log.Open(path));
    log.Write(u"B%%\r\n");
  }
  EXPECT_EQ(dir.ReadFile(u"log"), "\xFF\xFE" + Le(u"A\r\nB%\r\n"));

  dir.WriteFile(u"empty", "");
  UpdateLog log;
  ASSERT_TRUE(log.Open(dir.File(u"empty")));
  log.Write(u"C");
  log.Close();
  EXPECT_EQ(dir.ReadFile(u"empty"), "\xFF\xFE" + Le(u"C"));
}

TEST(UpdateLog, LineEndsAreStoredOnceAndTheContinuedLineJoins) {
  ScratchDir dir;
  UpdateLog log;
  ASSERT_TRUE(log.Open(dir.File(u"log")));
  log.Write(u"Auto load the file[%s], ", {u"fw.bin"});
  log.Write(u"load ok.\r\n");
  log.Close();
  EXPECT_EQ(dir.ReadFile(u"log"), "\xFF\xFE" + Le(u"Auto load the file[fw.bin], load ok.\r\n"));
  EXPECT_EQ(dir.ReadFile(u"log").find(std::string("\r\0\r\0", 4)), std::string::npos);
}

TEST(UpdateLog, UnopenedOrClosedLogDropsWritesAndCreatesNothing) {
  ScratchDir dir;
  UpdateLog log;
  EXPECT_FALSE(log.Open(dir.File(u"missing-folder/log")));
  EXPECT_FALSE(log.IsOpen());
  log.Write(u"lost\r\n");
  EXPECT_FALSE(dir.Exists(u"missing-folder"));

  ASSERT_TRUE(log.Open(dir.File(u"log")));
  log.Close();
  log.Write(u"after close\r\n");
  EXPECT_EQ(dir.ReadFile(u"log"), "\xFF\xFE");
}

TEST(UpdateLog, MessagesFromManyThreadsNeverInterleave) {
  ScratchDir dir;
  UpdateLog log;
  ASSERT_TRUE(log.Open(dir.File(u"log")));
  constexpr int kThreads = 4;
  constexpr int kMessages = 200;
  std::vector<std::thread> writers;
  for (int t = 0; t < kThreads; ++t) {
    writers.emplace_back([&log, t] {
      for (int i = 0; i < kMessages; ++i) log.Write(u"thread %d message %04x\r\n", {t, i});
    });
  }
  for (auto& writer : writers) writer.join();
  log.Close();
  const std::u16string content = text::LeBytesToUtf16(dir.ReadFile(u"log").substr(2));
  int lines = 0;
  size_t start = 0;
  int nextOf[kThreads] = {};
  for (size_t end; (end = content.find(u"\r\n", start)) != std::u16string::npos; start = end + 2) {
    const std::u16string line = content.substr(start, end - start);
    ASSERT_EQ(line.size(), 21u) << text::Utf16ToUtf8(line);
    const int thread = line[7] - u'0';
    ASSERT_EQ(line, FormatWide(u"thread %d message %04x", {thread, nextOf[thread]++}));
    ++lines;
  }
  EXPECT_EQ(lines, kThreads * kMessages);
  EXPECT_EQ(start, content.size());
}

TEST(UpdateLog, BannerTimeStamp) {
  std::tm t{};
  t.tm_hour = 14;
  t.tm_min = 3;
  t.tm_sec = 59;
  t.tm_mon = 11;
  t.tm_mday = 6;
  EXPECT_EQ(LogTimeStamp(t), u"14:03:59 (12/06)");
  t = std::tm{};
  t.tm_mday = 1;
  EXPECT_EQ(LogTimeStamp(t), u"00:00:00 (01/01)");
}

}  // namespace
}  // namespace ostrel
