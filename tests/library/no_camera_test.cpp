// With no camera (or only cameras without the vendor units) every export answers -1 and
// leaves its outputs as they were.
#include <gtest/gtest.h>

#include <cstring>

#include "sim_world_fixture.h"
#include "tandrel.h"

namespace tandrel::testing {
namespace {

class NoCameraTest : public SimWorldTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(NoCameraTest, EveryExportAnswersUnreachable) {
  UseWorld(GetParam());
  int value = 5;
  EXPECT_EQ(ZelMmioRead(0x06000000, &value), ZEL_E_UNREACHABLE);
  EXPECT_EQ(value, 5);
  EXPECT_EQ(ZelMmioWrite(0x06000000, 1), ZEL_E_UNREACHABLE);

  uint8_t address[4] = {};
  uint8_t data[4] = {9, 9, 9, 9};
  MmioBatch batch{};
  batch.count = 1;
  batch.addressWidth = 4;
  batch.dataWidth = 4;
  batch.addresses = address;
  batch.data = data;
  EXPECT_EQ(ZelBatchMmioRead(&batch), ZEL_E_UNREACHABLE);
  EXPECT_EQ(data[0], 9);
  EXPECT_EQ(ZelBatchMmioWrite(&batch), ZEL_E_UNREACHABLE);

  unsigned char raw[64];
  std::memset(raw, 0x5A, sizeof raw);
  EXPECT_EQ(ZelBatchMmioReadEx(raw), ZEL_E_UNREACHABLE);
  EXPECT_EQ(raw[63], 0x5A);
  EXPECT_EQ(ZelBatchMmioWriteEx(raw), ZEL_E_UNREACHABLE);

  ZelSystemInfo info;
  std::memset(&info, 0x77, sizeof info);
  EXPECT_EQ(ZelGetSystemInfornation(&info), ZEL_E_UNREACHABLE);
  EXPECT_EQ(info.seventh, 0x77);

  EXPECT_TRUE(Trace().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Worlds, NoCameraTest,
    ::testing::Values("", "[Camera1]\nModel=plain\nDevicePath=\\\\?\\usb#vid_0408&pid_2040\n",
                      "[Camera1]\nModel=zel\nDevicePath=\\\\?\\usb#vid_0408&pid_2040\n"
                      "NoExtensionUnit=1\n",
                      "[Camera1]\nModel=zel\nDevicePath=\\\\?\\usb#vid_9999&pid_2040\n"));

}  // namespace
}  // namespace tandrel::testing
