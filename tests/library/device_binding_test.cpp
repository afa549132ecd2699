#include <gtest/gtest.h>

#include <cstring>

#include "sim_world_fixture.h"
#include "tandrel.h"
#include "transport/device_table.h"
#include "transport/library_lock.h"
#include "transport/sim/sim_transport.h"

namespace tandrel::testing {
namespace {

std::string Path(const std::string& vidPid) { return "\\\\?\\usb#" + vidPid + "&mi_00#6&1\\global"; }

using DeviceBindingTest = SimWorldTest;

TEST_F(DeviceBindingTest, NullHandleWithoutCameraBindsNothing) {
  UseWorld("");
  EXPECT_EQ(ZelSetDeviceHandle(nullptr), ZEL_OK);
  EXPECT_EQ(SimLiveBindings(), 0);
  EXPECT_EQ(ZelMmioWrite(0, 0), ZEL_E_UNREACHABLE);
}

TEST_F(DeviceBindingTest, NullHandleBindsTheFirstSupportedCameraAndKeepsIt) {
  UseWorld(CameraSection(1, Path("vid_1234&pid_0001")) + CameraSection(2, kZelPath));
  EXPECT_EQ(ZelSetDeviceHandle(nullptr), ZEL_OK);
  EXPECT_EQ(SimLiveBindings(), 1);
  EXPECT_EQ(ZelMmioWrite(0, 0), ZEL_OK);
  EXPECT_EQ(ZelClearDeviceHandle(), ZEL_OK);
  EXPECT_EQ(SimLiveBindings(), 0);
}

TEST_F(DeviceBindingTest, GivenHandleIsProbedOnSelectorTwo) {
  UseWorld(CameraSection(1, kZelPath));
  std::string handle = kZelPath;
  EXPECT_EQ(ZelSetDeviceHandle(&handle[0]), ZEL_OK);
  EXPECT_EQ(Trace(), std::vector<std::string>{"LEN 0 2 64 - 800700ea"});
  EXPECT_EQ(SimLiveBindings(), 0);  // the caller's handle stays the caller's
  // The library bound its own copy of the text: the caller may reuse its buffer at once.
  handle.assign(handle.size(), 'x');
  EXPECT_EQ(ZelMmioWrite(0, 0), ZEL_OK);
}

TEST_F(DeviceBindingTest, CameraWithoutExtensionUnitFailsTheProbeAndStaysUnbound) {
  UseWorld(CameraSection(1, kZelPath) +
           CameraSection(2, Path("vid_0408&pid_3000"), "NoExtensionUnit=1"));
  std::string handle = Path("vid_0408&pid_3000");
  EXPECT_EQ(ZelSetDeviceHandle(&handle[0]), ZEL_E_UNREACHABLE);
  // The probe reaches the camera, which has no such node.
  EXPECT_EQ(Trace(), std::vector<std::string>{"LEN 0 2 0 - 80070492"});
  // Nothing is bound: the next call finds the first camera by itself.
  EXPECT_EQ(ZelMmioWrite(0, 0), ZEL_OK);
}

// Each unit is reached on the node that owns its property set, wherever the topology puts it;
// a topology whose driver answers no support query (the simulated one always answers) would
// leave the first device-specific node and the next.
TEST_F(DeviceBindingTest, EachUnitIsReachedOnTheNodeThatOwnsItsSet) {
  const char* const topologies[] = {
      "terminal processing selector unit0 unit1 streaming",
      "terminal other unit0 unit1 streaming",
      "terminal processing unit1 unit0 streaming",
      "unit1 other other unit0",
  };
  for (const char* topology : topologies) {
    SCOPED_TRACE(topology);
    UseWorld(CameraSection(1, kZelPath, std::string("Topology=") + topology));
    int chipId = 0;
    unsigned char led = 0;
    EXPECT_EQ(ZelMmioRead(0x06000000, &chipId), ZEL_OK);
    EXPECT_EQ(NorvGetLed(&led), ZEL_OK);
  }
}

TEST_F(DeviceBindingTest, UnknownHandleFailsTheProbe) {
  UseWorld(CameraSection(1, kZelPath));
  char handle[] = "no such camera";
  EXPECT_EQ(ZelSetDeviceHandle(handle), ZEL_E_UNREACHABLE);
}

TEST_F(DeviceBindingTest, ProbeRetriesWhileBusyAndOnGeneralFailure) {
  UseWorld(CameraSection(1, kZelPath, "Fail0.2=0x8007001F"));
  std::string handle = kZelPath;
  EXPECT_EQ(ZelSetDeviceHandle(&handle[0]), ZEL_E_UNREACHABLE);
  EXPECT_EQ(TraceOf("LEN").size(), 11u);
  // A control request does not retry on ERROR_GEN_FAILURE.
  EXPECT_EQ(ZelMmioWrite(0, 0), ZEL_E_DEVICE);
  EXPECT_EQ(TraceOf("LEN").size(), 12u);
}

TEST_F(DeviceBindingTest, ClearAndUninitializeAlwaysSucceed) {
  UseWorld("");
  EXPECT_EQ(ZelClearDeviceHandle(), ZEL_OK);
  EXPECT_EQ(pfn_RvcLib_UnInitialize(), ZEL_OK);
  EXPECT_EQ(pfn_RvcLib_Initialize(), ZEL_OK);
}

std::vector<std::string> Labels() {
  LibraryHold hold(LibraryLock());
  std::vector<std::string> labels;
  for (const DeviceTableEntry& entry : DeviceTable()) labels.push_back(entry.label);
  return labels;
}

TEST_F(DeviceBindingTest, InitializeFillsFiveEntriesFromSixCameras) {
  std::string sections;
  for (int i = 1; i <= 6; ++i) sections += CameraSection(i, Path("vid_0408&pid_2040"));
  UseWorld(sections);
  EXPECT_EQ(pfn_RvcLib_Initialize(), ZEL_OK);
  EXPECT_EQ(Labels(), std::vector<std::string>(5, "vid_0408 pid_2040"));
  EXPECT_EQ(SimLiveBindings(), 5);
  EXPECT_EQ(TraceOf("LEN").size(), 5u);

  // A second call releases what the first bound.
  UseWorld(CameraSection(1, kZelPath));
  EXPECT_EQ(pfn_RvcLib_Initialize(), ZEL_OK);
  EXPECT_EQ(SimLiveBindings(), 1);
  EXPECT_EQ(Labels(), (std::vector<std::string>{"vid_0408 pid_2040", "", "", "", ""}));
}

TEST_F(DeviceBindingTest, InitializeSkipsUnsupportedAndProbeFailures) {
  UseWorld(CameraSection(1, Path("vid_1234&pid_0001")) +
           CameraSection(2, Path("VID_0408&PID_2041")) +
           CameraSection(3, Path("vid_04da&pid_0002"), "", "plain") +
           CameraSection(4, Path("vid_1460&pid_0003")));
  EXPECT_EQ(pfn_RvcLib_Initialize(), ZEL_OK);
  EXPECT_EQ(Labels(), (std::vector<std::string>{"vid_0408 pid_2041", "vid_1460 pid_0003", "", "",
                                                ""}));
  EXPECT_EQ(SimLiveBindings(), 2);
  // The last camera that passed the probe stays bound.
  EXPECT_EQ(ZelMmioWrite(0, 0), ZEL_OK);
}

TEST_F(DeviceBindingTest, InitializeEndingWithAFailedProbeLeavesNoneBound) {
  UseWorld(CameraSection(1, kZelPath) +
           CameraSection(2, Path("vid_0408&pid_3000"), "NoExtensionUnit=1"));
  EXPECT_EQ(pfn_RvcLib_Initialize(), ZEL_OK);
  EXPECT_EQ(SimLiveBindings(), 1);
  EXPECT_EQ(Labels()[0], "vid_0408 pid_2040");
  EXPECT_EQ(Labels()[1], "");
}

TEST_F(DeviceBindingTest, ReleasingTheTableLeavesTheCurrentDeviceUsable) {
  UseWorld(CameraSection(1, kZelPath));
  ASSERT_EQ(pfn_RvcLib_Initialize(), ZEL_OK);
  // The table's camera is current; emptying the table must not leave it dangling.
  UseWorld("");
  ASSERT_EQ(pfn_RvcLib_Initialize(), ZEL_OK);
  EXPECT_EQ(SimLiveBindings(), 1);  // still held by the binding
  EXPECT_EQ(ZelClearDeviceHandle(), ZEL_OK);
  EXPECT_EQ(SimLiveBindings(), 0);
}

}  // namespace
}  // namespace tandrel::testing
