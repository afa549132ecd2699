// ParseHex4 and the printf rules of the log and window texts.
#include <gtest/gtest.h>

#include "text/hex4.h"
#include "wide_format.h"
#include "text/utf16.h"

namespace ostrel {
namespace {

TEST(ParseHex4, RuleForEveryKindOfCharacter) {
  const struct {
    const char* text;  // exactly four characters are read; NUL included
    uint16_t value;
  } cases[] = {
      {"0000", 0x0000}, {"2040", 0x2040}, {"0A1B", 0x0A1B}, {"0a1b", 0x0A1B},
      {"FFFF", 0xFFFF}, {"ffff", 0xFFFF}, {"12 4", 0x1204}, {"  12", 0x0012},
      {"1\0" "23", 0x1023},  // reading goes on past a NUL, which uses up its position
      {":;<=", 0xABCD},      // the six characters after '9' count 10 to 15
      {">?00", 0xEF00}, {"0107", 0x0107}, {"01G7", 0xFFFF}, {"@000", 0xFFFF},
      {"g000", 0xFFFF}, {"-001", 0xFFFF}, {"000/", 0xFFFF}, {"0100", 0x0100},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(text::ParseHex4(c.text), c.value) << c.text;
    const std::u16string wide(c.text, c.text + 4);
    EXPECT_EQ(text::ParseHex4(wide.c_str()), c.value) << c.text;
  }
}

TEST(ParseHex4, WideCharactersBeyondAsciiAreRefused) {
  EXPECT_EQ(text::ParseHex4(u"\u0130" "000"), 0xFFFF);
  EXPECT_EQ(text::ParseHex4(u"\uff10" "000"), 0xFFFF);  // fullwidth digit
  EXPECT_EQ(text::ParseHex4("\xC1" "000"), 0xFFFF);     // a high byte is not a digit
}

TEST(FormatWide, ConversionsTheTextsUse) {
  const struct {
    std::u16string format;
    std::u16string expected;
    std::initializer_list<FormatArg> args;
  } cases[] = {
      {u"Updating...25%%\r\n", u"Updating...25%\r\n", {}},
      {u"Camera vid=0x%04x, pid=0x%04x, bcd=0x%04x.\r\n",
       u"Camera vid=0x0408, pid=0x2040, bcd=0x0105.\r\n", {0x0408, 0x2040, 0x0105}},
      {u"%04X", u"0A1B", {0x0A1B}},
      {u"%04X ->", u"FFFF ->", {0xFFFF}},
      {u"%04x", u"12345", {0x12345}},  // a width is a minimum
      {u"Error! SF Data[%x]=%x , Buffer[%x]=%x\r\n", u"Error! SF Data[1a2b]=0 , Buffer[1a2b]=ff\r\n",
       {0x1A2B, 0, 0x1A2B, 0xFF}},
      {u"complete rate=0x%04x", u"complete rate=0x6418", {0x6418}},
      {u"%d%% \\", u"42% \\", {42}},
      {u"%d%%", u"100%", {100}},
      {u"%d", u"-5", {-5}},
      {u"%d", u"4", {4}},
      {u"No file[%s]!", u"No file[fw.bin]!", {u"fw.bin"}},
      {u"Auto load the file[%s], ", u"Auto load the file[], ", {u""}},
      {u"PID_%c%c%c%c", u"PID_20a0", {'2', '0', 'a', '0'}},
      {u"P%dD_%c%c%c%c", u"P3D_2040", {3, '2', '0', '4', '0'}},
      {u"[%5s|%-5s]", u"[   ab|ab   ]", {u"ab", u"ab"}},
      {u"%02d:%02d", u"04:09", {4, 9}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatWide(c.format, c.args), c.expected) << text::Utf16ToUtf8(c.format);
  }
}

TEST(FormatWide, MissingOrMismatchedArgumentsAreWrittenAsTheyStand) {
  EXPECT_EQ(FormatWide(u"%s and %d"), u"%s and %d");
  EXPECT_EQ(FormatWide(u"%s", {5}), u"%s");
  EXPECT_EQ(FormatWide(u"%x", {u"text"}), u"%x");
  EXPECT_EQ(FormatWide(u"%q %d", {7}), u"%q 7");
  EXPECT_EQ(FormatWide(u"ends with %"), u"ends with %");
  EXPECT_EQ(FormatWide(u"%04"), u"%04");
}

}  // namespace
}  // namespace ostrel
