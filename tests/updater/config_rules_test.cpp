#include "config_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace ostrel {
namespace {

using namespace std::string_literals;

TEST(PidList, OnePidPerWholeNineCharacterSlot) {
  const struct {
    std::u16string names;
    std::vector<uint16_t> pids;
  } cases[] = {
      {u"PID_2040\0PID_0A1B\0"s, {0x2040, 0x0A1B}},
      {u"PID_2040\0PID_0A1B\0P1D_2040\0"s, {0x2040, 0x0A1B, 0x2040}},
      // A nine-character name shifts every later slot by one character.
      {u"PID_20401\0PID_0A1B\0"s, {0x2040, 0xFFFF}},
      {u"PID_2040\0PID_0A1"s, {0x2040}},
      {u""s, {}},
      {u"SETTINGS\0"s, {0xFFFF}},
  };
  for (const auto& c : cases) EXPECT_EQ(ParsePidList(c.names), c.pids);
}

TEST(BinSentinel, LooseTestOfCharactersZeroToEightAndTenToTwelve) {
  const struct {
    std::u16string value;
    bool sentinel;
  } cases[] = {
      {u"OOOXXXOOO.XXX", true},  {u"OOOXXXOOO_XXX", true}, {u"OOOXXXOOO.XXXX", true},
      {u"OOOXXXOOO.XXY", false}, {u"OOOXXXOO0.XXX", false}, {u"OOOXXXOOO.XX", false},
      {u"fw.bin", false},        {u"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsBinSentinel(c.value), c.sentinel);
}

TEST(DecimalValue, LeadingDigitsOrZero) {
  const struct {
    std::u16string text;
    int32_t value;
  } cases[] = {
      {u"3", 3},         {u"4", 4},      {u"SF.bin", 0},   {u"", 0},
      {u"12abc", 12},    {u"  7", 7},    {u"-2", -2},      {u"+5", 5},
      {u"99999999999", 2147483647},      {u"-99999999999", -2147483647 - 1},
  };
  for (const auto& c : cases) EXPECT_EQ(DecimalValue(c.text), c.value);
}

}  // namespace
}  // namespace ostrel
