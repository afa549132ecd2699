// Serial-flash exports on the simulated camera: packet shapes from the trace, boundaries,
// both erase paths and the erase time limit.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "sim_world_fixture.h"
#include "tandrel.h"
#include "transport/library_lock.h"

namespace tandrel::testing {
namespace {

std::string Hex(const std::vector<uint8_t>& bytes) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (uint8_t b : bytes) {
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

std::string SetLine(const std::string& leadingHex) {
  return "SET 0 3 64 " + Payload(leadingHex) + " 00000000";
}

std::vector<uint8_t> Counting(size_t count, uint8_t first = 1) {
  std::vector<uint8_t> bytes(count);
  for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(first + i);
  return bytes;
}

class FlashTest : public SimWorldTest {
 protected:
  void SetUp() override { UseWorld(CameraSection(1, kZelPath)); }
};

TEST_F(FlashTest, WritePacketsNeverCrossAPage) {
  const auto data = Counting(40);
  ASSERT_EQ(ZelFlashWrite(0xF0, data.data(), 40), ZEL_OK);
  const std::vector<uint8_t> first(data.begin(), data.begin() + 16);
  const std::vector<uint8_t> second(data.begin() + 16, data.end());
  EXPECT_EQ(TraceOf("SET"), (std::vector<std::string>{SetLine("00f0000000"),
                                                        SetLine("30" + Hex(first)),
                                                        SetLine("38" + Hex(second))}));
  std::vector<uint8_t> back(40);
  ASSERT_EQ(ZelFlashRead(0xF0, back.data(), 40), ZEL_OK);
  EXPECT_EQ(back, data);
}

TEST_F(FlashTest, PacketThatEndsAtThePageEndGoesWhole) {
  const auto data = Counting(26);
  ASSERT_EQ(ZelFlashWrite(0xE6, data.data(), 26), ZEL_OK);
  EXPECT_EQ(TraceOf("SET"),
            (std::vector<std::string>{SetLine("00e6000000"), SetLine("3a" + Hex(data))}));
}

TEST_F(FlashTest, FullPageTakesNinePacketsOf26AndOneOf22) {
  const auto data = Counting(256);
  ASSERT_EQ(ZelFlashWrite(0x1000, data.data(), 256), ZEL_OK);
  const auto sets = TraceOf("SET");
  ASSERT_EQ(sets.size(), 11u);
  for (size_t i = 1; i < 10; ++i) EXPECT_EQ(sets[i].substr(11, 2), "3a") << i;
  EXPECT_EQ(sets[10].substr(11, 2), "36");
}

TEST_F(FlashTest, CustomBytesKeepStaleBytesOfTheLongerPacketBefore) {
  const auto data = Counting(60);
  ASSERT_EQ(ZelFlashCustom(data.data(), 60), ZEL_OK);
  const auto sets = TraceOf("SET");
  ASSERT_EQ(sets.size(), 3u);
  EXPECT_EQ(sets[0], SetLine("da" + Hex({data.begin(), data.begin() + 26})));
  EXPECT_EQ(sets[1], SetLine("da" + Hex({data.begin() + 26, data.begin() + 52})));
  // The third packet carries 8 new bytes; bytes 9 to 26 still hold the second packet's.
  EXPECT_EQ(sets[2], SetLine("c8" + Hex({data.begin() + 52, data.end()}) +
                             Hex({data.begin() + 34, data.begin() + 52})));
  EXPECT_EQ(ZelFlashCustom(data.data(), 0), ZEL_OK);
  EXPECT_EQ(TraceOf("SET").size(), 3u);
}

TEST_F(FlashTest, ThirtyByteReadTakesTwoReplies) {
  const auto data = Counting(30, 0x40);
  ASSERT_EQ(ZelFlashWrite(0x300, data.data(), 30), ZEL_OK);
  std::vector<uint8_t> back(30);
  ASSERT_EQ(ZelFlashRead(0x300, back.data(), 30), ZEL_OK);
  EXPECT_EQ(back, data);
  EXPECT_EQ(TraceOf("GET").size(), 2u);
}

TEST_F(FlashTest, RangeEndingAtTheFlashEndIsAcceptedOneMoreIsRefusedUnsent) {
  uint8_t bytes[16] = {0x5A};
  const struct {
    int address;
    int length;
    int result;
  } cases[] = {{0x1FFFF, 1, ZEL_OK},      {0x1FFFF, 2, ZEL_E_INVALID_ARG},
               {0x1FFF0, 16, ZEL_OK},     {0x20000, 1, ZEL_E_INVALID_ARG},
               {-1, 1, ZEL_E_INVALID_ARG}, {0, -1, ZEL_E_INVALID_ARG}};
  for (const auto& c : cases) {
    const size_t before = Trace().size();
    EXPECT_EQ(ZelFlashWrite(c.address, bytes, c.length), c.result) << c.address << "+" << c.length;
    EXPECT_EQ(ZelFlashRead(c.address, bytes, c.length), c.result) << c.address << "+" << c.length;
    if (c.result != ZEL_OK) {
      EXPECT_EQ(Trace().size(), before);
    }
  }
}

TEST_F(FlashTest, ZeroLengthSendsOnlyTheAddress) {
  ASSERT_EQ(ZelFlashWrite(0x10, nullptr, 0), ZEL_OK);
  ASSERT_EQ(ZelFlashRead(0x10, nullptr, 0), ZEL_OK);
  EXPECT_EQ(TraceOf("SET"), (std::vector<std::string>{SetLine("0010000000"), SetLine("5a10000000")}));
  EXPECT_TRUE(TraceOf("GET").empty());
}

TEST_F(FlashTest, SectorEraseAndSpiConfigCommands) {
  ASSERT_EQ(ZelFlashSectorErase(0x19000), ZEL_OK);
  ASSERT_EQ(ZelFlashSetSpiConfig(0x12345, 0x1FF), ZEL_OK);
  const auto sets = TraceOf("SET");
  EXPECT_EQ(sets.front(), SetLine("8000900100"));
  EXPECT_EQ(sets.back(), SetLine("a0004523ff"));
}

TEST(FlashEraseStatus, NullPointerIsRefusedAndAFailureFromOutsideLeavesTheLockFree) {
  EXPECT_EQ(ZelFlashEraseStatus(nullptr), ZEL_E_INVALID_ARG);
  unsigned char busy = 7;
  // No world camera: the open fails, and the failure path gives back only its own hold.
  EXPECT_EQ(ZelFlashEraseStatus(&busy), ZEL_E_UNREACHABLE);
  EXPECT_EQ(busy, 7);
  EXPECT_TRUE(LibraryLockIsFree());
}

class FlashEraseTest : public SimWorldTest {};

TEST_F(FlashEraseTest, OlderFirmwareOrUnreadableSystemInformationSendsTheSingleCommand) {
  const char* worlds[] = {"SystemInfo=0000ff05", "Fail0.8=0x8007001f"};
  for (const char* keys : worlds) {
    UseWorld(CameraSection(1, kZelPath, keys));
    ASSERT_EQ(ZelFlashErase(), ZEL_OK) << keys;
    const auto sets = TraceOf("SET");
    ASSERT_FALSE(sets.empty());
    EXPECT_EQ(sets.back(), SetLine("60")) << keys;
    for (const auto& line : sets) EXPECT_EQ(line.find("SET 0 3 64 e0"), std::string::npos);
  }
}

TEST_F(FlashEraseTest, PolledEraseQueriesUntilTheCameraIsDone) {
  UseWorld(CameraSection(1, kZelPath, "EraseBusyPolls=2"));
  ASSERT_EQ(ZelFlashErase(), ZEL_OK);
  const auto sets = TraceOf("SET");
  EXPECT_EQ(sets[0], SetLine("e001"));
  // One query after the start, then one per busy answer: 1, 1, done.
  EXPECT_EQ(sets.size(), 4u);
  for (size_t i = 1; i < sets.size(); ++i) EXPECT_EQ(sets[i], SetLine("e000"));
  std::vector<uint8_t> back(64);
  ASSERT_EQ(ZelFlashRead(0, back.data(), 64), ZEL_OK);
  EXPECT_EQ(back, std::vector<uint8_t>(64, 0xFF));
}

TEST_F(FlashEraseTest, EraseThatNeverEndsGivesUpAfterTwoSecondsWithTheLockFree) {
  // The world's clock runs a thousand times faster: two simulated seconds are 2 ms.
  UseWorld(CameraSection(1, kZelPath, "EraseBusyPolls=-1"));
  EXPECT_EQ(ZelFlashErase(), ZEL_E_ERASE_INCOMPLETE);
  EXPECT_TRUE(LibraryLockIsFree());
}

// The camera goes at the first status query, long before the two-second limit could end the
// poll on a loaded machine.
TEST_F(FlashEraseTest, StatusFailureDuringThePollIsPassedOn) {
  UseWorld(CameraSection(1, kZelPath, "EraseBusyPolls=-1\nUnplugAfter=4"));
  EXPECT_EQ(ZelFlashErase(), ZEL_E_UNREACHABLE);
  EXPECT_TRUE(LibraryLockIsFree());
}

}  // namespace
}  // namespace tandrel::testing
