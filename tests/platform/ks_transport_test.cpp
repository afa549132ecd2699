// What only the real library on the Windows test camera shows: its COM references (what it
// finds for one call it releases when the call ends, a binding holds its camera until it is
// cleared, the device table until the next initialisation; the camera's server counts every
// live object), and device entries the simulated world has no notion of.
#include <gtest/gtest.h>

#include "library_run.h"
#include "registration.h"

namespace platform_test {
namespace {

// A world of one ZEL camera with the given keys.
World OneCamera(const std::string& keys = "") {
  return World{"[World]\r\nTimeScale=0.01\r\n\r\n[Camera1]\r\nModel=zel\r\nDevicePath="
               R"(\\?\usb#vid_0408&pid_2040&mi_00#6&2e3f1c7e&0&0000#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\global)"
               "\r\n" + keys,
               {},
               {}};
}

std::filesystem::path RunFolder(const char* name) {
  return std::filesystem::path(PLATFORM_TEST_RUNS) / name;
}

void NoCallback() {}

TEST(KsReferences, EveryCameraObjectIsReleasedWhenNothingHoldsItAnyMore) {
  LibraryRun run(Transport::kKernelStreaming, RunFolder("references"), OneCamera());
  ASSERT_EQ(run.SetupError(), "");
  const TandrelExports& t = run.Tandrel();
  int chipId = 0;
  unsigned char mode = 0;
  ASSERT_EQ(t.ZelMmioRead(0x06000000, &chipId), ZEL_OK);
  ASSERT_EQ(t.ZelGetLedMode(&mode), ZEL_OK);
  EXPECT_TRUE(run.CameraServerIdle()) << "a call that found the camera itself";

  ASSERT_EQ(t.ZelAutoUpdateInit(NoCallback), ZEL_OK);
  EXPECT_FALSE(run.CameraServerIdle()) << "a registration holds its camera";
  ASSERT_EQ(t.ZelAutoUpdateUninit(), ZEL_OK);
  EXPECT_TRUE(run.CameraServerIdle()) << "an ended registration";

  ASSERT_EQ(t.ZelSetDeviceHandle(nullptr), ZEL_OK);
  ASSERT_EQ(t.ZelGetLedMode(&mode), ZEL_OK);
  EXPECT_FALSE(run.CameraServerIdle()) << "a binding holds its camera";
  ASSERT_EQ(t.ZelClearDeviceHandle(), ZEL_OK);
  EXPECT_TRUE(run.CameraServerIdle()) << "a cleared binding";

  ASSERT_EQ(t.pfn_RvcLib_Initialize(), ZEL_OK);
  ASSERT_EQ(t.pfn_RvcLib_UnInitialize(), ZEL_OK);
  EXPECT_FALSE(run.CameraServerIdle()) << "the device table holds its cameras";
}

// A device entry whose property bag has no FriendlyName is not a camera the library can take:
// every export that looks for one answers unreachable.
TEST(KsDeviceEntries, EntryWithoutFriendlyNameIsNotTaken) {
  LibraryRun run(Transport::kKernelStreaming, RunFolder("no-friendly-name"),
                 OneCamera("NoFriendlyName=1\r\n"));
  ASSERT_EQ(run.SetupError(), "");
  const TandrelExports& t = run.Tandrel();
  int chipId = 0;
  for (int call = 0; call < 20; ++call) {
    EXPECT_EQ(t.ZelMmioRead(0x06000000, &chipId), ZEL_E_UNREACHABLE);
  }
  EXPECT_EQ(t.ZelSetDeviceHandle(nullptr), ZEL_OK);
  EXPECT_EQ(t.ZelMmioRead(0x06000000, &chipId), ZEL_E_UNREACHABLE);
  EXPECT_TRUE(run.CameraServerIdle());
}

// The prefix is left with the system's own device enumerator and no imaging devices.
class PrefixCleanUp : public ::testing::Environment {
 public:
  void TearDown() override { EXPECT_EQ(wincam::Unregister(), 0u); }
};
::testing::Environment* const g_prefixCleanUp =
    ::testing::AddGlobalTestEnvironment(new PrefixCleanUp);

}  // namespace
}  // namespace platform_test
