// Chip control on the simulated camera: the PLL and reset sequences of both chip variants,
// write by write from the trace, USB boot, the raw pass-through and the unsupported exports.
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "sim_world_fixture.h"
#include "tandrel.h"

namespace tandrel::testing {
namespace {

struct RegisterWrite {
  uint32_t address;
  uint32_t value;
  bool operator==(const RegisterWrite& other) const {
    return address == other.address && value == other.value;
  }
};

uint32_t LeHex(const std::string& hex) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | std::stoul(hex.substr(i * 2, 2), nullptr, 16);
  return value;
}

class ChipControlTest : public SimWorldTest {
 protected:
  // The register writes (command 0x01 on selector 2) in the order the camera saw them.
  std::vector<RegisterWrite> Writes() const {
    std::vector<RegisterWrite> writes;
    for (const auto& line : TraceOf("SET")) {
      if (line.rfind("SET 0 2 64 01", 0) != 0) continue;
      writes.push_back({LeHex(line.substr(13, 8)), LeHex(line.substr(21, 8))});
    }
    return writes;
  }
  size_t RegisterReads() const {
    size_t reads = 0;
    for (const auto& line : TraceOf("SET")) reads += line.rfind("SET 0 2 64 00", 0) == 0;
    return reads;
  }
};

TEST_F(ChipControlTest, VariantAStartsThePllOnceAndResetsInFourWrites) {
  UseWorld(CameraSection(1, kZelPath));
  ASSERT_EQ(ZelSetPll(), ZEL_OK);
  int pll = 0;
  ASSERT_EQ(ZelMmioRead(0x02100008, &pll), ZEL_OK);
  const uint32_t base = static_cast<uint32_t>(pll) & 0xFE000000u;
  EXPECT_EQ(Writes(), (std::vector<RegisterWrite>{{0x02100008, base | 0x0001A620},
                                                  {0x02100008, base | 0x00012620},
                                                  {0x02100010, 0},
                                                  {0x02100008, base | 0x01012620}}));
  // Running now: the next call reads the chip id and the PLL word and writes nothing.
  const size_t writes = Writes().size();
  const size_t reads = RegisterReads();
  ASSERT_EQ(ZelSetPll(), ZEL_OK);
  EXPECT_EQ(Writes().size(), writes);
  EXPECT_EQ(RegisterReads(), reads + 2);

  ASSERT_EQ(ZelReset(), ZEL_OK);
  const auto all = Writes();
  EXPECT_EQ(std::vector<RegisterWrite>(all.end() - 4, all.end()),
            (std::vector<RegisterWrite>{{0x02100014, 0},
                                        {0x02100018, 0x8001D4C0},
                                        {0x02100014, 8},
                                        {0x02100014, 4}}));
}

TEST_F(ChipControlTest, OtherVariantSequences) {
  UseWorld(CameraSection(1, kZelPath, "ChipId=0x0B030901"));
  int word = 0;
  ASSERT_EQ(ZelMmioRead(0x20001008, &word), ZEL_OK);
  const uint32_t base = static_cast<uint32_t>(word) & 0xFFFC0000u;
  ASSERT_EQ(ZelSetPll(), ZEL_OK);
  EXPECT_EQ(Writes(), (std::vector<RegisterWrite>{{0x20001008, base | 0x8300},
                                                  {0x20001008, base | 0x0300},
                                                  {0x20001008, base | 0x10300},
                                                  {0x20001008, base | 0x0300},
                                                  {0x20001010, 0},
                                                  {0x20001008, base | 0x20300}}));
  ASSERT_EQ(ZelMmioRead(0x20001008, &word), ZEL_OK);
  const uint32_t v = static_cast<uint32_t>(word) & 0xFF3FFFFFu;
  ASSERT_EQ(ZelReset(), ZEL_OK);
  const auto all = Writes();
  EXPECT_EQ(std::vector<RegisterWrite>(all.end() - 4, all.end()),
            (std::vector<RegisterWrite>{{0x20001008, v},
                                        {0x20001014, 0x8001D4C0},
                                        {0x20001008, v | 0x00800000},
                                        {0x20001008, v | 0x00400000}}));
}

TEST_F(ChipControlTest, ResetThatFailsIsFoldedIntoThirtyOne) {
  UseWorld(CameraSection(1, kZelPath, "FailSet0.2=0x8007001f"));
  EXPECT_EQ(ZelReset(), ZEL_E_DEVICE);
  EXPECT_EQ(pfn_UVC_ResetIC(), 31);
}

TEST_F(ChipControlTest, UsbBootAndRawPassThrough) {
  UseWorld(CameraSection(1, kZelPath));
  ASSERT_EQ(ZelUsbBoot(0x102), ZEL_OK);
  EXPECT_EQ(TraceOf("SET").back(), "SET 0 3 64 " + Payload("a00102") + " 00000000");

  unsigned char data[100] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x02};  // a register write
  ASSERT_EQ(ZelXuSet(2, data, 100), ZEL_OK);
  EXPECT_EQ(TraceOf("SET").back().substr(0, 11), "SET 0 2 64 ");

  unsigned int length = 0;
  ASSERT_EQ(ZelXuGet(8, nullptr, 0, &length), ZEL_OK);
  EXPECT_EQ(length, 64u);
  ASSERT_EQ(ZelXuGet(8, data, 8, &length), ZEL_OK);
  EXPECT_EQ(length, 8u);
  // The whole control is read: a short buffer would be refused.
  EXPECT_EQ(TraceOf("GET").back().substr(0, 11), "GET 0 8 64 ");
  EXPECT_EQ(ZelXuGet(8, data, 8, nullptr), ZEL_E_INVALID_ARG);
}

TEST(UnsupportedExports, AlwaysNotSupportedEvenWithoutACamera) {
  for (auto exported : {ZelTestExec, ZelEncryptorGetKey, ZelEncryptorSetConfig, ZelEncryptorSetKey,
                        ZelSetEncoderOption}) {
    EXPECT_EQ(exported(), ZEL_E_NOT_SUPPORTED);
  }
}

}  // namespace
}  // namespace tandrel::testing
