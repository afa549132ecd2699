#include "ini/profile_file.h"

#include <gtest/gtest.h>

#include "scratch_dir.h"
#include "text/utf16.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

using ostrel::testing::ScratchDir;

const std::string kThreeSections = "[Device]\r\nA=1\r\n[Firmware]\r\nB=2\r\n[Log]\r\nC=3\r\n";

TEST(SectionNames, CutAndTerminatedLikeTheProfileFunction) {
  ScratchDir dir;
  dir.WriteFile(u"t.ini", kThreeSections);
  const struct {
    uint32_t size;
    uint32_t returned;
    std::u16string buffer;
  } cases[] = {
      {1, 0, std::u16string(1, u'\0')},
      {2, 0, std::u16string(2, u'\0')},
      {8, 6, std::u16string(u"Device\0\0", 8)},
      {9, 7, std::u16string(u"Device\0\0\0", 9)},
      {20, 18, std::u16string(u"Device\0Firmware\0Lo\0\0", 20)},
      {21, 19, std::u16string(u"Device\0Firmware\0Log\0\0", 21)},
      {22, 20, std::u16string(u"Device\0Firmware\0Log\0\0", 21)},
      {40, 20, std::u16string(u"Device\0Firmware\0Log\0\0", 21)},
  };
  for (const auto& c : cases) {
    std::u16string buffer(c.size + 4, u'#');
    EXPECT_EQ(profile::GetSectionNames(dir.File(u"t.ini"), buffer.data(), c.size), c.returned)
        << c.size;
    EXPECT_EQ(buffer.substr(0, c.buffer.size()), c.buffer) << c.size;
    // Nothing is written past the buffer.
    EXPECT_EQ(buffer.substr(c.size), u"####") << c.size;
  }
  char16_t untouched = u'#';
  EXPECT_EQ(profile::GetSectionNames(dir.File(u"t.ini"), &untouched, 0), 0u);
  EXPECT_EQ(untouched, u'#');
}

TEST(SectionNames, MissingFileGivesAnEmptyList) {
  ScratchDir dir;
  char16_t buffer[8] = {u'#', u'#'};
  EXPECT_EQ(profile::GetSectionNames(dir.File(u"none.ini"), buffer, 8), 0u);
  EXPECT_EQ(buffer[0], u'\0');
}

TEST(GetString, RulesOfTheProfileFunction) {
  ScratchDir dir;
  dir.WriteFile(u"t.ini",
                "[PID_2040]\r\n  chip = 3  \r\nBIN=\"fw.bin\"\r\nEmpty=\r\n[Other]\r\nCHIP=9\r\n");
  const std::u16string path = dir.File(u"t.ini");
  const struct {
    const char16_t* section;
    const char16_t* key;
    const char16_t* defaultValue;
    uint32_t size;
    std::u16string value;
    uint32_t returned;
  } cases[] = {
      {u"PID_2040", u"CHIP", u"SF.bin", 256, u"3", 1},        // names without regard to case
      {u"pid_2040", u"Chip", u"SF.bin", 256, u"3", 1},
      {u"PID_2040", u"BIN", u"x", 256, u"fw.bin", 6},         // quotes stripped
      {u"PID_2040", u"BIN", u"x", 4, u"fw.", 3},              // cut to size-1
      {u"PID_2040", u"Empty", u"x", 256, u"", 0},             // present but empty: no default
      {u"PID_2040", u"Missing", u"SF.bin", 256, u"SF.bin", 6},
      {u"PID_9999", u"CHIP", u"OOOXXXOOO.XXX", 256, u"OOOXXXOOO.XXX", 13},
      {u"Other", u"CHIP", u"", 256, u"9", 1},
  };
  for (const auto& c : cases) {
    char16_t buffer[256];
    EXPECT_EQ(profile::GetString(path, c.section, c.key, c.defaultValue, buffer, c.size),
              c.returned);
    EXPECT_EQ(std::u16string(buffer), c.value);
  }
  char16_t buffer[4];
  EXPECT_EQ(profile::GetString(dir.File(u"none.ini"), u"S", u"K", u"dflt", buffer, 4), 3u);
  EXPECT_EQ(std::u16string(buffer), u"dfl");
}

TEST(GetString, ReadsEachEncodingByItsMark) {
  ScratchDir dir;
  const std::u16string content = u"[S]\r\nK=caf\u00e9\r\n";
  dir.WriteFile(u"le.ini", "\xFF\xFE" + text::Utf16ToLeBytes(content));
  dir.WriteFile(u"u8.ini", "\xEF\xBB\xBF" + text::Utf16ToUtf8(content));
  dir.WriteFile(u"ansi.ini", "[S]\r\nK=caf\xE9\r\n");
  for (const char16_t* name : {u"le.ini", u"u8.ini", u"ansi.ini"}) {
    EXPECT_EQ(profile::GetString(dir.File(name), u"S", u"K", u""), u"caf\u00e9")
        << text::Utf16ToUtf8(name);
  }
}

TEST(WriteString, ReplacesOrAddsAndKeepsEverythingElse) {
  ScratchDir dir;
  const std::u16string path = dir.File(u"t.ini");
  dir.WriteFile(u"t.ini", "; kept\r\n[SETTING]\r\nCHIP=1\r\nBIN=old.bin\r\n\r\n[Other]\r\nX=y\r\n");
  ASSERT_TRUE(profile::WriteString(path, u"setting", u"BIN", u"  new.bin"));
  ASSERT_TRUE(profile::WriteString(path, u"SETTING", u"Extra", u"7"));
  ASSERT_TRUE(profile::WriteString(path, u"New", u"K", u"v"));
  EXPECT_EQ(dir.ReadFile(u"t.ini"),
            "; kept\r\n[SETTING]\r\nCHIP=1\r\nBIN=new.bin\r\nExtra=7\r\n\r\n[Other]\r\nX=y\r\n"
            "[New]\r\nK=v\r\n");
}

// A write keeps the other lines as they read: the code page's undefined bytes unchanged, invalid
// UTF-8 (a lead byte past F4, an encoded surrogate, an overlong form, a cut sequence) as U+FFFD,
// so that the section names and keys found before the write are found after it.
TEST(WriteString, OtherLinesStayAsTheyRead) {
  const struct {
    std::string kept;      // as in the file
    std::string written;   // as a write leaves it
  } cases[] = {
      {"[A\x81\x8D\x8F\x90\x9D]\r\n", "[A\x81\x8D\x8F\x90\x9D]\r\n"},
      {"\xEF\xBB\xBF[A\xF5\xBC\xB7\xB6]\r\n", "\xEF\xBB\xBF[A\xEF\xBF\xBD]\r\n"},
      {"\xEF\xBB\xBF[A\xED\xA0\x80\xC0\x80]\r\n", "\xEF\xBB\xBF[A\xEF\xBF\xBD\xEF\xBF\xBD]\r\n"},
      {"\xEF\xBB\xBF[A]\r\nX=\xE2\x82", "\xEF\xBB\xBF[A]\r\nX=\xEF\xBF\xBD\xEF\xBF\xBD\r\n"},
      {"\xEF\xBB\xBF[A]\r\nX=\xE2Z", "\xEF\xBB\xBF[A]\r\nX=\xEF\xBF\xBDZ\r\n"},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    dir.WriteFile(u"t.ini", c.kept);
    ASSERT_TRUE(profile::WriteString(dir.File(u"t.ini"), u"New", u"K", u"v"));
    EXPECT_EQ(dir.ReadFile(u"t.ini"), c.written + "[New]\r\nK=v\r\n") << c.kept;
    // And a second write finds what the first one wrote.
    ASSERT_TRUE(profile::WriteString(dir.File(u"t.ini"), u"New", u"K", u"w"));
    EXPECT_EQ(profile::GetString(dir.File(u"t.ini"), u"New", u"K", u""), u"w") << c.kept;
  }
}

TEST(WriteString, NewFileIsAnsiWithCrLfAndAnExistingUtf16FileStaysUtf16) {
  ScratchDir dir;
  ASSERT_TRUE(profile::WriteString(dir.File(u"new.ini"), u"SETTING", u"CHIP", u"4\u20ac\u4e00"));
  EXPECT_EQ(dir.ReadFile(u"new.ini"), "[SETTING]\r\nCHIP=4\x80?\r\n");

  dir.WriteFile(u"le.ini", "\xFF\xFE" + text::Utf16ToLeBytes(u"[SETTING]\r\nCHIP=1\r\n"));
  ASSERT_TRUE(profile::WriteString(dir.File(u"le.ini"), u"SETTING", u"CHIP", u"\u4e00"));
  EXPECT_EQ(dir.ReadFile(u"le.ini"),
            "\xFF\xFE" + text::Utf16ToLeBytes(u"[SETTING]\r\nCHIP=\u4e00\r\n"));
}

TEST(WriteString, FolderThatDoesNotExistFails) {
  ScratchDir dir;
  EXPECT_FALSE(profile::WriteString(dir.File(u"no/such/t.ini"), u"S", u"K", u"v"));
}

// A profile file that is not a regular file of at most the limit reads as empty and is never
// replaced by a write.
TEST(ProfileFile, FileThatCannotBeReadIsEmptyAndLeftAlone) {
  ScratchDir dir;
  const auto padded = [](size_t size) {
    const std::string start = "[S]\r\nK=v\r\n;";
    return start + std::string(size - start.size(), 'x');
  };
  dir.WriteFile(u"limit.ini", padded(profile::kMaxFileBytes));
  dir.WriteFile(u"over.ini", padded(profile::kMaxFileBytes + 1));
  dir.MakeFolder(u"folder.ini");
#ifndef _WIN32
  dir.MakeFifo(u"fifo.ini");
  dir.MakeLink(u"zero.ini", "/dev/zero");
#endif
  const struct {
    const char16_t* name;
    bool readable;
  } cases[] = {
      {u"limit.ini", true},
      {u"over.ini", false},
      {u"folder.ini", false},
#ifndef _WIN32
      {u"fifo.ini", false},
      {u"zero.ini", false},
#endif
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(text::Utf16ToUtf8(c.name));
    const std::u16string path = dir.File(c.name);
    char16_t names[8] = {u'#'};
    EXPECT_EQ(profile::GetSectionNames(path, names, 8), c.readable ? 2u : 0u);  // "S" and its NUL
    EXPECT_EQ(profile::GetString(path, u"S", u"K", u"default"), c.readable ? u"v" : u"default");
    const std::string before = dir.ReadFile(c.name);
    EXPECT_EQ(profile::WriteString(path, u"S", u"K", u"w"), c.readable);
    if (!c.readable) {
      EXPECT_EQ(dir.ReadFile(c.name), before);
    }
  }
}

#ifdef _WIN32
// On Windows the system's own profile functions are the reference for the rules above.
TEST(SectionNames, AgreesWithTheSystemFunctionForEverySize) {
  ScratchDir dir;
  dir.WriteFile(u"t.ini", kThreeSections);
  const std::u16string file = dir.File(u"t.ini");
  const std::wstring path(file.begin(), file.end());
  for (uint32_t size = 1; size <= 24; ++size) {
    std::u16string ours(size, u'#');
    std::wstring system(size, L'#');
    const uint32_t ourCount = profile::GetSectionNames(file, ours.data(), size);
    const uint32_t systemCount = GetPrivateProfileSectionNamesW(system.data(), size, path.c_str());
    EXPECT_EQ(ourCount, systemCount) << size;
    EXPECT_EQ(ours, std::u16string(system.begin(), system.end())) << size;
  }
}
#endif

}  // namespace
