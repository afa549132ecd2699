// Eight threads hammering request-and-read exports: every request is followed by its own read.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "sim_world_fixture.h"
#include "tandrel.h"

namespace tandrel::testing {
namespace {

using ThreadsTest = SimWorldTest;

TEST_F(ThreadsTest, RequestAndReadNeverInterleave) {
  UseWorld(CameraSection(1, kZelPath));
  constexpr int kThreads = 8;
  constexpr int kRounds = 40;
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &failures] {
      const int address = 0x100 + 4 * t;
      for (int round = 0; round < kRounds; ++round) {
        int value = -1;
        if (ZelMmioWrite(address, round * kThreads + t) != ZEL_OK) ++failures;
        if (ZelMmioRead(address, &value) != ZEL_OK || value != round * kThreads + t) ++failures;
        ZelSystemInfo info{};
        if (ZelGetSystemInfornation(&info) != ZEL_OK) ++failures;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(failures.load(), 0);

  // Without the probes, every read request (SET 0 2 with command 00) is followed at once by
  // the GET that answers it, for the same address.
  std::vector<std::string> exchanges;
  for (const std::string& line : Trace()) {
    if (line.rfind("LEN", 0) != 0) exchanges.push_back(line);
  }
  size_t reads = 0;
  for (size_t i = 0; i < exchanges.size(); ++i) {
    if (exchanges[i].rfind("SET 0 2 64 00", 0) != 0) continue;
    ++reads;
    ASSERT_LT(i + 1, exchanges.size());
    const std::string request = exchanges[i].substr(11, 10);
    EXPECT_EQ(exchanges[i + 1].substr(0, 21), "GET 0 2 64 " + request) << i;
  }
  EXPECT_EQ(reads, static_cast<size_t>(kThreads * kRounds));
}

TEST_F(ThreadsTest, FirstCallsFromManyThreadsShareOneLock) {
  UseWorld(CameraSection(1, kZelPath));
  std::vector<std::thread> threads;
  std::atomic<int> failures{0};
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&failures] {
      if (ZelSetDeviceHandle(nullptr) != ZEL_OK) ++failures;
      if (ZelMmioWrite(0, 0) != ZEL_OK) ++failures;
      if (ZelClearDeviceHandle() != ZEL_OK) ++failures;
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(failures.load(), 0);
}

}  // namespace
}  // namespace tandrel::testing
