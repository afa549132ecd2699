// The auto-update registration on the simulated camera: the event's enabling and disabling in
// the trace, callbacks for raised notifications, and stopping the worker while a callback is
// inside an export or ends the registration itself.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "camera/live_world.h"
#include "sim_world_fixture.h"
#include "tandrel.h"
#include "transport/library_lock.h"

namespace tandrel::testing {
namespace {

std::atomic<int> g_calls{0};
std::mutex g_mutex;
std::condition_variable g_called;

void CountCall() {
  {
    std::lock_guard<std::mutex> hold(g_mutex);
    ++g_calls;
  }
  g_called.notify_all();
}

// Waits until the callback ran count times in all; false when it did not within a generous
// bound (a hang guard, not a speed check).
bool WaitForCalls(int count) {
  std::unique_lock<std::mutex> hold(g_mutex);
  return g_called.wait_for(hold, std::chrono::seconds(20), [count] { return g_calls >= count; });
}

class AutoUpdateTest : public SimWorldTest {
 protected:
  void SetUp() override { g_calls = 0; }
  void TearDown() override {
    ZelAutoUpdateUninit();
    SimWorldTest::TearDown();
  }
  static void Raise() { sim::LiveWorld::Active()->Zel(0)->RaiseAutoUpdate(); }
};

TEST_F(AutoUpdateTest, RefusalsAndUninitWithoutRegistration) {
  EXPECT_EQ(ZelAutoUpdateUninit(), ZEL_OK);
  EXPECT_EQ(ZelAutoUpdateInit(nullptr), ZEL_E_INVALID_ARG);
  UseWorld("");
  EXPECT_EQ(ZelAutoUpdateInit(CountCall), ZEL_E_UNREACHABLE);
  UseWorld(CameraSection(1, kZelPath, "NoExtensionUnit=1"));
  EXPECT_EQ(ZelAutoUpdateInit(CountCall), ZEL_E_UNREACHABLE);
  // The camera is gone by the time the notification is enabled: its status is mapped.
  UseWorld(CameraSection(1, kZelPath, "UnplugAfter=4"));
  int chipId = 0;
  ASSERT_EQ(ZelMmioRead(0x06000000, &chipId), ZEL_OK);
  EXPECT_EQ(ZelAutoUpdateInit(CountCall), ZEL_E_UNREACHABLE);
  EXPECT_EQ(TraceOf("EVT"), (std::vector<std::string>{"EVT 0 1 24 - 8007048f"}));
  EXPECT_TRUE(LibraryLockIsFree());
}

TEST_F(AutoUpdateTest, RaisedNotificationsRunTheCallbackUntilUninit) {
  UseWorld(CameraSection(1, kZelPath));
  ASSERT_EQ(ZelAutoUpdateInit(CountCall), ZEL_OK);
  EXPECT_EQ(ZelAutoUpdateInit(CountCall), ZEL_E_INVALID_ARG);  // one registration at a time
  EXPECT_EQ(TraceOf("EVT"), (std::vector<std::string>{"EVT 0 1 24 - 00000000"}));
  Raise();
  ASSERT_TRUE(WaitForCalls(1));
  Raise();
  ASSERT_TRUE(WaitForCalls(2));
  ASSERT_EQ(ZelAutoUpdateUninit(), ZEL_OK);
  EXPECT_EQ(TraceOf("EVT").back(), "EVT 0 1 0 - 00000000");
  Raise();
  EXPECT_EQ(g_calls, 2);
  EXPECT_TRUE(LibraryLockIsFree());
}

TEST_F(AutoUpdateTest, CameraRaisesTheNotificationAsConfigured) {
  // 20 simulated seconds apart: 20 ms at this world's time scale, so none are merged.
  UseWorld(CameraSection(1, kZelPath, "AutoUpdateEvents=3\nAutoUpdateEventPeriod=20000"));
  ASSERT_EQ(ZelAutoUpdateInit(CountCall), ZEL_OK);
  ASSERT_TRUE(WaitForCalls(3));
  EXPECT_EQ(ZelAutoUpdateUninit(), ZEL_OK);
}

std::atomic<bool> g_inside{false};

void CallbackInsideAnExport() {
  // Holds the library lock across the moment Uninit starts stopping the worker.
  LibraryHold hold(LibraryLock());
  g_inside = true;
  int value = 0;
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ZelMmioRead(0x06000000, &value);
  CountCall();
}

TEST_F(AutoUpdateTest, UninitWhileTheCallbackIsInsideAnExportLeavesTheLockFree) {
  UseWorld(CameraSection(1, kZelPath));
  g_inside = false;
  ASSERT_EQ(ZelAutoUpdateInit(CallbackInsideAnExport), ZEL_OK);
  Raise();
  while (!g_inside) std::this_thread::yield();
  EXPECT_EQ(ZelAutoUpdateUninit(), ZEL_OK);
  EXPECT_EQ(g_calls, 1);  // the callback was let finish
  EXPECT_TRUE(LibraryLockIsFree());
}

void CallbackThatEndsTheRegistration() {
  ZelAutoUpdateUninit();
  CountCall();
}

TEST_F(AutoUpdateTest, CallbackMayEndTheRegistrationItself) {
  UseWorld(CameraSection(1, kZelPath));
  ASSERT_EQ(ZelAutoUpdateInit(CallbackThatEndsTheRegistration), ZEL_OK);
  Raise();
  ASSERT_TRUE(WaitForCalls(1));
  EXPECT_EQ(ZelAutoUpdateInit(CountCall), ZEL_OK);  // free to register again
  EXPECT_TRUE(LibraryLockIsFree());
}

}  // namespace
}  // namespace tandrel::testing
