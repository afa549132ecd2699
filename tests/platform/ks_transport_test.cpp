// What only the real library on the Windows test camera shows: its COM references (what it
// finds for one call it releases when the call ends, a binding holds its camera until it is
// cleared, the device table until the next initialisation; the camera's server counts every
// live object), and device entries the simulated world has no notion of.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <thread>

#include "ks_test_world.h"
#include "library_run.h"
#include "registration.h"

namespace platform_test {
namespace {

void NoCallback() {}

TEST(KsReferences, EveryCameraObjectIsReleasedWhenNothingHoldsItAnyMore) {
  LibraryRun run(Transport::kKernelStreaming, KsRunFolder("references"), OneZelCamera());
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
  LibraryRun run(Transport::kKernelStreaming, KsRunFolder("no-friendly-name"),
                 OneZelCamera("NoFriendlyName=1\r\n"));
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

// A filter whose interfaces access-violate (a stale filter, a driver gone from under it) fails
// the call that reached it, and the host process goes on: with the control interface faulting,
// every request fails (a device failure once opened, and the binding probe fails); with the
// topology faulting, Open fails at the node search. What a call found for itself is released
// all the same.
TEST(KsFaults, FaultingFilterFailsTheCallNotTheProcess) {
  struct Case {
    const char* key;
    int readFindingItself;  // ZelMmioRead with nothing bound
    int bindGiven;          // ZelSetDeviceHandle with the host's filter
    int readBound;          // ZelMmioRead on that binding
  };
  const Case cases[] = {
      {"FaultingControl=1", ZEL_E_DEVICE, ZEL_E_UNREACHABLE, ZEL_E_DEVICE},
      {"FaultingTopology=1", ZEL_E_UNREACHABLE, ZEL_E_UNREACHABLE, ZEL_E_UNREACHABLE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    LibraryRun run(Transport::kKernelStreaming, KsRunFolder(c.key),
                   OneZelCamera(std::string(c.key) + "\r\n"));
    ASSERT_EQ(run.SetupError(), "");
    const TandrelExports& t = run.Tandrel();
    int chipId = 0;
    EXPECT_EQ(t.ZelMmioRead(0x06000000, &chipId), c.readFindingItself);
    EXPECT_TRUE(run.CameraServerIdle());
    void* const filter = run.CameraHandle(1);
    ASSERT_NE(filter, nullptr);
    EXPECT_EQ(t.ZelSetDeviceHandle(filter), c.bindGiven);
    EXPECT_EQ(t.ZelMmioRead(0x06000000, &chipId), c.readBound);
    EXPECT_EQ(chipId, 0);
  }
}

// COM on a host's threads. A call that finds the camera for itself leaves its thread as it
// found it, and so does a call on the host's own filter: the host may make the thread a
// multithreaded apartment afterwards. Binding a camera the library found, and filling the
// device table, keep the thread's single-threaded apartment for the cameras they hold.
TEST(KsApartments, HostThreadMayChooseItsApartmentAfterwards) {
  LibraryRun run(Transport::kKernelStreaming, KsRunFolder("apartments"), OneZelCamera());
  ASSERT_EQ(run.SetupError(), "");
  const TandrelExports& t = run.Tandrel();
  void* const filter = run.CameraHandle(1);
  ASSERT_NE(filter, nullptr);
  int chipId = 0;
  struct Case {
    const char* name;
    std::function<void()> calls;
    HRESULT multithreaded;  // CoInitializeEx(COINIT_MULTITHREADED) on the thread afterwards
  };
  const Case cases[] = {
      {"a call finding the camera itself",
       [&] { EXPECT_EQ(t.ZelMmioRead(0x06000000, &chipId), ZEL_OK); }, S_OK},
      {"the host's filter",
       [&] {
         EXPECT_EQ(t.ZelSetDeviceHandle(filter), ZEL_OK);
         EXPECT_EQ(t.ZelMmioRead(0x06000000, &chipId), ZEL_OK);
       },
       S_OK},
      {"binding the camera found", [&] { EXPECT_EQ(t.ZelSetDeviceHandle(nullptr), ZEL_OK); },
       RPC_E_CHANGED_MODE},
      {"the device table", [&] { EXPECT_EQ(t.pfn_RvcLib_Initialize(), ZEL_OK); },
       RPC_E_CHANGED_MODE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HRESULT multithreaded = E_FAIL;
    std::thread host([&] {
      c.calls();
      multithreaded = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
      if (SUCCEEDED(multithreaded)) CoUninitialize();
    });
    host.join();
    EXPECT_EQ(multithreaded, c.multithreaded);
    EXPECT_EQ(t.ZelClearDeviceHandle(), ZEL_OK);
  }
}

// A host that ends normally while it still holds a camera (here: its filter, never released)
// finds what it wrote in the camera's flash file afterwards. The host is this program again,
// running the disabled test below in a process of its own.
constexpr char kHostFolder[] = "flash-at-exit";
constexpr int kWrittenAt = 0x3000;
const std::vector<uint8_t> kWritten = {0x12, 0x34, 0x56, 0x78, 0x9a, 0xbc};

TEST(KsFlash, ReachesItsFileWhenTheHostEndsHoldingTheCamera) {
  wchar_t program[MAX_PATH] = {};
  ASSERT_NE(GetModuleFileNameW(nullptr, program, MAX_PATH), 0u);
  std::wstring command = std::wstring(L"\"") + program +
                         L"\" --gtest_also_run_disabled_tests"
                         L" --gtest_filter=KsFlash.DISABLED_HostEndsHoldingTheCamera";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION host{};
  ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             nullptr, &startup, &host));
  WaitForSingleObject(host.hProcess, INFINITE);
  DWORD exitCode = 1;
  GetExitCodeProcess(host.hProcess, &exitCode);
  CloseHandle(host.hThread);
  CloseHandle(host.hProcess);
  ASSERT_EQ(exitCode, 0u);

  std::ifstream file(KsRunFolder(kHostFolder) / "camera2.flash", std::ios::binary);
  const std::vector<uint8_t> flash{std::istreambuf_iterator<char>(file), {}};
  ASSERT_GE(flash.size(), kWrittenAt + kWritten.size());
  EXPECT_EQ(std::vector<uint8_t>(flash.begin() + kWrittenAt,
                                 flash.begin() + kWrittenAt + kWritten.size()),
            kWritten);
}

TEST(KsFlash, DISABLED_HostEndsHoldingTheCamera) {
  World world = OneZelCamera();
  // The camera keeps its flash in a file; none at the start, an erased flash.
  world.iniText += "Flash=camera2.flash\r\n";
  auto* const run = new LibraryRun(Transport::kKernelStreaming, KsRunFolder(kHostFolder), world);
  ASSERT_EQ(run->SetupError(), "");
  const TandrelExports& t = run->Tandrel();
  ASSERT_EQ(t.ZelSetDeviceHandle(run->CameraHandle(1)), ZEL_OK);
  ASSERT_EQ(t.ZelFlashSectorErase(kWrittenAt), ZEL_OK);
  ASSERT_EQ(t.ZelFlashWrite(kWrittenAt, kWritten.data(), static_cast<int>(kWritten.size())),
            ZEL_OK);
  // The run, its filter and the library's binding stay as they are until the process ends.
}

// The prefix is left with the system's own device enumerator and no setup entries.
class PrefixCleanUp : public ::testing::Environment {
 public:
  void TearDown() override { EXPECT_EQ(wincam::Unregister(), 0u); }
};
::testing::Environment* const g_prefixCleanUp =
    ::testing::AddGlobalTestEnvironment(new PrefixCleanUp);

}  // namespace
}  // namespace platform_test
