#include "image_version.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace ostrel {
namespace {

// Images live on the heap at exactly their size, so that a read past the end is caught by
// AddressSanitizer.
std::vector<uint8_t> Image(size_t size, std::initializer_list<std::pair<size_t, uint8_t>> bytes = {}) {
  std::vector<uint8_t> image(size);
  for (const auto& [at, value] : bytes) image.at(at) = value;
  return image;
}

uint16_t Version(int32_t vendor, const std::vector<uint8_t>& image, bool multi = false) {
  // A copy of exactly the image's size, even for size 0.
  std::unique_ptr<uint8_t[]> exact(new uint8_t[image.size()]);
  std::copy(image.begin(), image.end(), exact.get());
  return ReadImageVersion(vendor, exact.get(), image.size(), multi);
}

TEST(ImageVersion, SonixBigEndianAtTheSectorPointer) {
  EXPECT_EQ(Version(3, Image(0x300, {{0x168, 0x02}, {0x20A, 0x01}, {0x20B, 0x23}})), 0x0123);
  EXPECT_EQ(Version(3, Image(0x300, {{0x168, 0x02}, {0x20A, 0x01}, {0x20B, 0x23}}), true),
            0x9999);
}

TEST(ImageVersion, ZelHexCharactersAt0x253) {
  const auto zel = [](const char* text) {
    auto image = Image(0x400);
    std::copy(text, text + 4, image.begin() + 0x253);
    return image;
  };
  EXPECT_EQ(Version(4, zel("0107")), 0x0107);
  EXPECT_EQ(Version(4, zel("01G7")), 0xFFFF);
  EXPECT_EQ(Version(4, zel("01a7")), 0x01A7);
}

TEST(ImageVersion, RScansFrom0xE800ForTheDescriptor) {
  EXPECT_EQ(Version(2, Image(0xE800)), 0x9999);
  EXPECT_EQ(Version(2, Image(0xE7FF)), 0x9999);
  EXPECT_EQ(Version(2, Image(0xF000, {{0xE900, 0x08}, {0xE901, 0x04}, {0xE906, 0x34}, {0xE907, 0x12}})),
            0x1234);
  // The first hit wins; a pair before 0xE800 is not seen.
  EXPECT_EQ(Version(2, Image(0xF000, {{0xE7F0, 0x08}, {0xE7F1, 0x04}, {0xE801, 0x08},
                                      {0xE802, 0x04}, {0xE807, 0x05}, {0xE808, 0x01}})),
            0x0105);
  EXPECT_EQ(Version(2, Image(0xF000)), 0x9999);
}

TEST(ImageVersion, SunplusRules) {
  // (a) the record at 0xB701.
  EXPECT_EQ(Version(1, Image(0xC000, {{0xB701, 0x12}, {0xB70E, 0x10}, {0xB70F, 0x02}})), 0x0210);
  // (a) the record at 0x6781 when 0xB701 holds no mark.
  EXPECT_EQ(Version(1, Image(0xC000, {{0x6781, 0x12}, {0x678E, 0x11}, {0x678F, 0x02}})), 0x0211);
  // A mark at 0x8000 sends it to (b): p = 0x0100, q = (0x02 << 8) | (0x10 + 14) = 0x021E.
  const auto ruleB = Image(0xC000, {{0x8000, 0x12}, {0xB701, 0x12}, {4, 0x01}, {5, 0x00},
                                    {0x116, 0x02}, {0x117, 0x10}, {0x21E, 0x07}, {0x21F, 0x01}});
  EXPECT_EQ(Version(1, ruleB), 0x0107);
  // 0xB700 bytes: (b) regardless of what lies at 0xB701's place in a bigger image.
  EXPECT_EQ(Version(1, Image(0xB700, {{4, 0x01}, {5, 0x00}, {0x116, 0x02}, {0x117, 0x10},
                                      {0x21E, 0x07}, {0x21F, 0x01}})),
            0x0107);
  // The OR merges a carry of the low byte into the high byte: 0x03 << 8 | (0xF8 + 14) = 0x0306.
  EXPECT_EQ(Version(1, Image(0x400, {{4, 0x00}, {5, 0x10}, {0x26, 0x03}, {0x27, 0xF8},
                                     {0x306, 0x22}, {0x307, 0x01}})),
            0x0122);
  EXPECT_EQ(Version(1, ruleB, true), 0x9999);
}

TEST(ImageVersion, UnknownVendorOrNoBuffer) {
  EXPECT_EQ(Version(0, Image(0x1000)), 0x9999);
  EXPECT_EQ(Version(5, Image(0x1000)), 0x9999);
  EXPECT_EQ(ReadImageVersion(4, nullptr, 0x1000, false), 0x9999);
}

// Images cut just short of each byte a rule needs: unreadable, never a read past the end.
TEST(ImageVersion, ShortImagesOfEveryVendorGiveTheUnreadableVersion) {
  const struct {
    int32_t vendor;
    std::vector<uint8_t> image;
  } cases[] = {
      {1, Image(0)},
      {1, Image(5)},
      {1, Image(0xB701)},  // needs B[0xB701]
      {1, Image(0xB70F, {{0xB701, 0x12}})},  // needs B[0xB70F]
      {1, Image(0x117, {{4, 0x01}})},  // (b): p + 0x17 is the end
      {1, Image(0x118, {{4, 0x01}, {0x116, 0xFF}, {0x117, 0xFF}})},  // q far beyond
      {1, Image(0x21F, {{4, 0x01}, {0x116, 0x02}, {0x117, 0x10}})},  // q + 1 is the end
      {2, Image(0xE801, {{0xE800, 0x08}})},  // the pair's second byte is beyond
      {2, Image(0xE807, {{0xE800, 0x08}, {0xE801, 0x04}})},  // version's high byte beyond
      {3, Image(0x168)},
      {3, Image(0x169, {{0x168, 0x02}})},
      {3, Image(0x20B, {{0x168, 0x02}})},
      {4, Image(0x256)},
      {4, Image(0)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Version(c.vendor, c.image), 0x9999) << c.vendor << " size " << c.image.size();
  }
}

}  // namespace
}  // namespace ostrel
