// A chip reset or a switch to USB boot takes the camera off the bus; it comes back as a new
// device under the same path, and the filter of the device that left fails every call. While
// it is away every export fails cleanly; once it is back, a camera the library bound itself is
// reached through a fresh filter, while a host's own filter stays dead until the host binds
// the camera anew. Also the raw read of part of a control, which the platform would refuse as
// a short buffer.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>

#include "ks_test_world.h"
#include "library_run.h"

namespace platform_test {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kChipIdRegister = 0x06000000;
// 300 s of the world's clock, which runs a hundred times as fast: 3 s off the bus.
constexpr char kAbsent[] = "AbsentMs=300000\r\n";
constexpr auto kUntilBack = std::chrono::milliseconds(3500);

// Polls the camera until a read reaches it; the seconds it took, or a negative count when it
// never came back within the bound.
double SecondsUntilBack(const TandrelExports& t) {
  const Clock::time_point start = Clock::now();
  int value = 0;
  while (Clock::now() - start < std::chrono::seconds(60)) {
    if (t.ZelMmioRead(kChipIdRegister, &value) == ZEL_OK) {
      return std::chrono::duration<double>(Clock::now() - start).count();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return -1;
}

struct Binding {
  const char* name;
  std::function<int(LibraryRun&)> bind;
  std::function<int(const TandrelExports&)> leave;  // the call that takes the camera off the bus
  int afterBack;  // the first call once the camera is back
};

TEST(KsReenumeration, AwayEveryCallFailsCleanlyAndBackTheLibrarysOwnBindingReachesIt) {
  const Binding bindings[] = {
      {"device table, pfn_UVC_ResetIC", [](LibraryRun& run) { return run.Tandrel().pfn_RvcLib_Initialize(); },
       [](const TandrelExports& t) { return t.pfn_UVC_ResetIC(); }, ZEL_OK},
      {"camera found by the library, ZelUsbBoot",
       [](LibraryRun& run) { return run.Tandrel().ZelSetDeviceHandle(nullptr); },
       [](const TandrelExports& t) { return t.ZelUsbBoot(2); }, ZEL_OK},
      {"nothing bound, ZelReset", [](LibraryRun&) { return ZEL_OK; },
       [](const TandrelExports& t) { return t.ZelReset(); }, ZEL_OK},
      {"the host's filter, ZelReset",
       [](LibraryRun& run) { return run.Tandrel().ZelSetDeviceHandle(run.CameraHandle(1)); },
       [](const TandrelExports& t) { return t.ZelReset(); }, ZEL_E_UNREACHABLE},
  };
  std::printf("\nreset and USB boot: the camera leaves the bus for 3 s (Tandrel.dll)\n");
  for (const Binding& binding : bindings) {
    SCOPED_TRACE(binding.name);
    LibraryRun run(Transport::kKernelStreaming, KsRunFolder("reenumeration") / binding.name,
                   OneZelCamera(kAbsent));
    ASSERT_EQ(run.SetupError(), "");
    const TandrelExports& t = run.Tandrel();
    ASSERT_EQ(binding.bind(run), ZEL_OK);
    const int left = binding.leave(t);
    int value = 0;
    const int away = t.ZelMmioRead(kChipIdRegister, &value);
    unsigned char led = 0;
    EXPECT_EQ(away, ZEL_E_UNREACHABLE);
    EXPECT_EQ(t.NorvGetLed(&led), ZEL_E_UNREACHABLE);
    std::this_thread::sleep_for(kUntilBack);
    const int back = t.ZelMmioRead(kChipIdRegister, &value);
    EXPECT_EQ(back, binding.afterBack);
    std::printf("%-42s leaving call %3d, a call while away %d, the first call once back %d",
                binding.name, left, away, back);
    if (back != ZEL_OK) {
      // The host builds its graph again: a fresh filter of the camera that came back.
      const int rebound = t.ZelSetDeviceHandle(run.CameraHandle(1));
      const int read = t.ZelMmioRead(kChipIdRegister, &value);
      EXPECT_EQ(rebound, ZEL_OK);
      EXPECT_EQ(read, ZEL_OK);
      std::printf(", bound anew %d, then %d", rebound, read);
    }
    std::printf("\n");
  }
  std::fflush(stdout);
}

// A call made the moment the camera comes back reaches it: the library keeps asking nothing
// of a camera that is away, and the first open after its return binds it.
TEST(KsReenumeration, TheFirstCallAfterTheReturnReachesTheCamera) {
  LibraryRun run(Transport::kKernelStreaming, KsRunFolder("reenumeration") / "return",
                 OneZelCamera("AbsentMs=150000\r\n"));
  ASSERT_EQ(run.SetupError(), "");
  const TandrelExports& t = run.Tandrel();
  ASSERT_EQ(t.pfn_RvcLib_Initialize(), ZEL_OK);
  ASSERT_EQ(t.ZelReset(), ZEL_OK);
  const double seconds = SecondsUntilBack(t);
  EXPECT_GE(seconds, 1.0);
  std::printf("after ZelReset the camera answered again after %.1f s (away 1.5 s)\n", seconds);
}

// The platform refuses a buffer shorter than the control: a read of part of a control reads
// the whole control and hands over the part asked for.
TEST(KsRawAccess, PartOfAControlIsReadAsTheWholeControl) {
  const struct {
    const char* keys;
    unsigned int controlLength;
  } cases[] = {{"", 64}, {"ControlLength0.8=32\r\n", 32}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keys);
    LibraryRun run(Transport::kKernelStreaming, KsRunFolder("raw-read") / std::to_string(c.controlLength),
                   OneZelCamera(c.keys, "Trace=trace.log\r\n"));
    ASSERT_EQ(run.SetupError(), "");
    const TandrelExports& t = run.Tandrel();
    unsigned int length = 0;
    ASSERT_EQ(t.ZelXuGet(8, nullptr, 0, &length), ZEL_OK);
    EXPECT_EQ(length, c.controlLength);
    unsigned char data[8] = {};
    EXPECT_EQ(t.ZelXuGet(8, data, sizeof data, &length), ZEL_OK);
    EXPECT_EQ(length, 8u);
    const std::vector<std::string> trace = run.Trace();
    ASSERT_FALSE(trace.empty());
    EXPECT_EQ(trace.back().substr(0, 9 + std::to_string(c.controlLength).size()),
              "GET 0 8 " + std::to_string(c.controlLength) + " ");
    std::printf("ZelXuGet(8, 8 bytes) on a %u-byte control: %d, %u bytes; %s\n", c.controlLength,
                ZEL_OK, length, trace.back().substr(0, 40).c_str());
  }
}

}  // namespace
}  // namespace platform_test
