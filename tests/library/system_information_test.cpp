#include <gtest/gtest.h>

#include "sim_world_fixture.h"
#include "tandrel.h"

namespace tandrel::testing {
namespace {

using SystemInformationTest = SimWorldTest;

TEST_F(SystemInformationTest, PlainReadDecodesTheSevenFields) {
  UseWorld(CameraSection(1, kZelPath, "SystemInfo=0100000602030405060708090a0b0c0d"));
  ZelSystemInfo info{};
  ASSERT_EQ(ZelGetSystemInfornation(&info), ZEL_OK);
  EXPECT_EQ(info.first, 0x0001);
  EXPECT_EQ(info.second, 0x0600);
  EXPECT_EQ(info.third, 0x0302);
  EXPECT_EQ(info.fourth, 0x0504);
  EXPECT_EQ(info.fifth, 0x0706);
  EXPECT_EQ(info.sixth, 0x0908);
  EXPECT_EQ(info.seventh, 0x0a);
  // No request is written first.
  EXPECT_EQ(Trace(), (std::vector<std::string>{
                         "LEN 0 8 64 - 800700ea",
                         "GET 0 8 64 " + Payload("0100000602030405060708090a0b0c0d") + " 00000000"}));
}

TEST_F(SystemInformationTest, DefaultRecordReportsPollingEraseFirmware) {
  UseWorld(CameraSection(1, kZelPath));
  ZelSystemInfo info{};
  ASSERT_EQ(ZelGetSystemInfornation(&info), ZEL_OK);
  EXPECT_EQ(info.second, 0x0600);
}

TEST_F(SystemInformationTest, FailuresLeaveTheRecordUntouched) {
  UseWorld(CameraSection(1, kZelPath, "FailGet0.8=0x80070015"));
  ZelSystemInfo info{};
  info.first = 0xBEEF;
  EXPECT_EQ(ZelGetSystemInfornation(&info), ZEL_E_NOT_READY);
  EXPECT_EQ(info.first, 0xBEEF);
  EXPECT_EQ(ZelGetSystemInfornation(nullptr), ZEL_E_INVALID_ARG);
}

TEST_F(SystemInformationTest, RecordIsReadOnly) {
  UseWorld(CameraSection(1, kZelPath));
  unsigned char raw[64] = {};
  EXPECT_EQ(ZelBatchMmioWriteEx(raw), ZEL_OK);  // selector 2 takes it
  EXPECT_EQ(TraceOf("SET").size(), 1u);
}

}  // namespace
}  // namespace tandrel::testing
