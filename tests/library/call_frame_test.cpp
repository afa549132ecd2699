#include "transport/call_frame.h"

#include <gtest/gtest.h>

#include "sim_world_fixture.h"
#include "tandrel.h"

namespace tandrel::testing {
namespace {

using CallFrameTest = SimWorldTest;

TEST_F(CallFrameTest, ExportCalledInsideAnotherFrameDoesNotDeadlock) {
  UseWorld(CameraSection(1, kZelPath));
  ZelSystemInfo info{};
  const int result = RunXuFrame(XuControl{0, 2}, [&](XuAccess&) {
    return ZelGetSystemInfornation(&info);
  });
  EXPECT_EQ(result, ZEL_OK);
  EXPECT_EQ(info.second, 0x0600);
}

TEST_F(CallFrameTest, ReadModifyWriteBuildsOnTheReply) {
  UseWorld(CameraSection(1, kZelPath));
  ASSERT_EQ(ZelMmioWrite(0x10, 0x44332211), ZEL_OK);
  XuPayload request{};
  request[0] = 0x00;
  request[1] = 0x10;
  ASSERT_EQ(XuRequestAndRead(XuControl{0, 2}, request), ZEL_OK);
  // Turn the read reply of register 0x10 into a write of its value plus one.
  const int result = XuReadModifyWrite(XuControl{0, 2}, [](XuPayload& payload) {
    payload[0] = 0x01;
    PutLe(payload, 5, GetLe(payload, 5, 4) + 1, 4);
    return ZEL_OK;
  });
  ASSERT_EQ(result, ZEL_OK);
  int value = 0;
  ASSERT_EQ(ZelMmioRead(0x10, &value), ZEL_OK);
  EXPECT_EQ(value, 0x44332212);
}

TEST_F(CallFrameTest, ReadModifyWriteStopsWhenTheBuildRefuses) {
  UseWorld(CameraSection(1, kZelPath));
  EXPECT_EQ(XuReadModifyWrite(XuControl{0, 8}, [](XuPayload&) { return ZEL_E_NOT_SUPPORTED; }),
            ZEL_E_NOT_SUPPORTED);
  EXPECT_TRUE(TraceOf("SET").empty());
}

TEST_F(CallFrameTest, ExceptionsEndTheFrameAsDeviceFailure) {
  UseWorld(CameraSection(1, kZelPath));
  EXPECT_EQ(RunXuFrame(XuControl{0, 2}, [](XuAccess&) -> int { throw 1; }), ZEL_E_DEVICE);
}

TEST_F(CallFrameTest, UnitOneRequestsGoToTheNextNode) {
  UseWorld(CameraSection(1, kZelPath));
  XuPayload reply{};
  EXPECT_EQ(XuRead(XuControl{1, 2}, reply), ZEL_OK);
  EXPECT_EQ(TraceOf("GET"), std::vector<std::string>{"GET 1 2 64 " + Payload("") + " 00000000"});
}

TEST_F(CallFrameTest, PayloadHelpersStayInsideThePayload) {
  XuPayload payload{};
  PutLe(payload, 62, 0xAABBCCDD, 4);
  EXPECT_EQ(payload[62], 0xDD);
  EXPECT_EQ(payload[63], 0xCC);
  EXPECT_EQ(GetLe(payload, 62, 4), 0xCCDDu);
}

struct BusyCase {
  int busyProbes;
  int result;
  size_t probes;
};

class BusyProbeTest : public SimWorldTest, public ::testing::WithParamInterface<BusyCase> {};

TEST_P(BusyProbeTest, ProbeRepeatsTenTimesAtMost) {
  UseWorld(CameraSection(1, kZelPath, "BusyProbes=" + std::to_string(GetParam().busyProbes)));
  EXPECT_EQ(ZelMmioWrite(0, 0), GetParam().result);
  EXPECT_EQ(TraceOf("LEN").size(), GetParam().probes);
  EXPECT_EQ(TraceOf("SET").size(), GetParam().result == ZEL_OK ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Table, BusyProbeTest,
                         ::testing::Values(BusyCase{0, ZEL_OK, 1}, BusyCase{1, ZEL_OK, 2},
                                           BusyCase{10, ZEL_OK, 11},
                                           BusyCase{11, ZEL_E_NOT_READY, 11}));

}  // namespace
}  // namespace tandrel::testing
