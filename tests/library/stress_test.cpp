// Eight threads mixing every kind of export with binding changes and auto-update
// registrations while the camera keeps raising its event: each call ends with a result its
// export documents, every thread's flash region holds what it wrote, and no export leaves the
// library lock held. A fixed number of operations per thread keeps the run bounded.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "sim_world_fixture.h"
#include "tandrel.h"

namespace tandrel::testing {
namespace {

constexpr int kThreads = 8;
constexpr int kOperationsPerThread = 1200;
// Each thread programs its own 4 KiB sector of the erased flash, one chunk per flash operation.
constexpr int kRegionBase = 0x10000;
constexpr int kRegionSize = 0x1000;
constexpr int kChunk = 16;
constexpr int kChipIdRegister = 0x06000000;

std::atomic<int> g_events{0};
std::atomic<int> g_badCallbackResults{0};

void ReadChipIdOnEvent() {
  int value = 0;
  if (ZelMmioRead(kChipIdRegister, &value) != ZEL_OK) ++g_badCallbackResults;
  ++g_events;
}

uint8_t ChunkByte(int thread, int chunk, int i) {
  return static_cast<uint8_t>(thread * 31 + chunk * 7 + i);
}

// One class of operations: its name, the results its exports may give here, and the call.
struct OperationClass {
  const char* name;
  std::set<int> allowed;
  std::function<int(int thread, int round)> run;
};

class StressTest : public SimWorldTest {
 protected:
  void TearDown() override {
    ZelAutoUpdateUninit();
    SimWorldTest::TearDown();
  }

  // Keeps the first few unexpected results for the failure message.
  void Unexpected(const std::string& what) {
    std::lock_guard<std::mutex> hold(mutex_);
    if (unexpected_.size() < 20) unexpected_.push_back(what);
    ++unexpectedCount_;
  }

  std::mutex mutex_;
  std::vector<std::string> unexpected_;
  int unexpectedCount_ = 0;
};

TEST_F(StressTest, MixedExportsBindingsAndRegistrationsStayConsistent) {
  // 0.2 simulated seconds between events: 0.2 ms at this world's time scale, so even a
  // short-lived registration sees some.
  UseWorld(CameraSection(1, kZelPath, "AutoUpdateEvents=100000\nAutoUpdateEventPeriod=200"));
  g_events = 0;
  g_badCallbackResults = 0;
  std::array<std::atomic<int>, kThreads> flashChunks{};
  // Bound handles are the caller's to keep alive (as a capture filter would be): this one
  // outlives every binding of the run.
  std::string handle = kZelPath;

  const std::vector<OperationClass> classes = {
      {"flash",
       {ZEL_OK},
       [&](int thread, int) {
         const int chunk = flashChunks[thread]++;
         const int address = kRegionBase + thread * kRegionSize + chunk * kChunk;
         uint8_t data[kChunk];
         for (int i = 0; i < kChunk; ++i) data[i] = ChunkByte(thread, chunk, i);
         int result = ZelFlashWrite(address, data, kChunk);
         if (result != ZEL_OK) return result;
         uint8_t back[kChunk] = {};
         result = ZelFlashRead(address, back, kChunk);
         if (result == ZEL_OK && !std::equal(data, data + kChunk, back)) {
           Unexpected("flash chunk " + std::to_string(address) + " read back changed");
         }
         return result;
       }},
      {"register",
       {ZEL_OK},
       [&](int thread, int round) {
         const int address = 0x100 + 4 * thread;
         int result = ZelMmioWrite(address, round);
         int value = -1;
         if (result == ZEL_OK) result = ZelMmioRead(address, &value);
         if (result == ZEL_OK && value != round) {
           Unexpected("register " + std::to_string(address) + " read back changed");
         }
         return result;
       }},
      {"control",
       {ZEL_OK},
       [](int, int round) {
         unsigned char mirror = 0;
         const int result = ZelVideoSetMirror(static_cast<unsigned char>(round & 1));
         return result != ZEL_OK ? result : ZelVideoGetMirror(&mirror);
       }},
      {"identity",
       {ZEL_OK},
       [](int, int round) {
         if (round % 3 == 0) {
           ZelFirmwareVersion version{};
           return ZelGetFirmwareVersion(&version);
         }
         if (round % 3 == 1) {
           char text[64];
           int count = 0;
           return ZelGetSerialNumber(text, sizeof text, &count);
         }
         ZelSystemInfo info{};
         return ZelGetSystemInfornation(&info);
       }},
      {"binding",
       {ZEL_OK},
       [&](int, int round) {
         switch (round % 4) {
           case 0:
             return ZelSetDeviceHandle(&handle[0]);
           case 1:
             return ZelSetDeviceHandle(nullptr);
           case 2:
             return pfn_RvcLib_Initialize();
           default:
             return ZelClearDeviceHandle();
         }
       }},
      // Another thread's registration refuses a second one.
      {"auto-update",
       {ZEL_OK, ZEL_E_INVALID_ARG},
       [](int, int round) {
         return round % 2 == 0 ? ZelAutoUpdateInit(ReadChipIdOnEvent) : ZelAutoUpdateUninit();
       }},
  };

  std::vector<std::atomic<int>> counts(classes.size());
  const auto start = std::chrono::steady_clock::now();
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < kOperationsPerThread; ++round) {
        // Threads start at different classes, so every class runs alongside every other.
        const size_t which = static_cast<size_t>(round + t) % classes.size();
        const int result = classes[which].run(t, round / static_cast<int>(classes.size()));
        ++counts[which];
        if (classes[which].allowed.count(result) == 0) {
          Unexpected(std::string(classes[which].name) + " gave " + std::to_string(result));
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(ZelAutoUpdateUninit(), ZEL_OK);
  const auto elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start);

  EXPECT_EQ(unexpectedCount_, 0) << ::testing::PrintToString(unexpected_);
  EXPECT_EQ(g_badCallbackResults.load(), 0);
  EXPECT_TRUE(LibraryLockIsFree());
  for (int t = 0; t < kThreads; ++t) {
    std::vector<uint8_t> region(kRegionSize);
    ASSERT_EQ(ZelFlashRead(kRegionBase + t * kRegionSize, region.data(), kRegionSize), ZEL_OK);
    const int written = flashChunks[t];
    for (int i = 0; i < kRegionSize; ++i) {
      const int chunk = i / kChunk;
      const uint8_t expected = chunk < written ? ChunkByte(t, chunk, i % kChunk) : 0xFF;
      ASSERT_EQ(region[i], expected) << "thread " << t << " offset " << i;
    }
  }

  std::string summary = "stress:";
  for (size_t c = 0; c < classes.size(); ++c) {
    summary += " " + std::string(classes[c].name) + "=" + std::to_string(counts[c].load());
  }
  std::printf("%s events=%d in %.2f s\n", summary.c_str(), g_events.load(), elapsed.count());
}

}  // namespace
}  // namespace tandrel::testing
