// The host platform's threads: every work handed to StartThread runs, exactly once, also when
// two are started back to back and the first ends at once, as the engine and the supervision
// of a run whose engine has nothing to do (vendor 2, a missing library). Detached std::threads
// of the Windows toolchain lost about one such work in a thousand under Wine: the thread
// library handed the record of a thread that had ended, but not yet exited, to the next
// thread, and the exiting thread then cleared that record, the new thread's work included.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "platform/host_platform.h"

namespace ostrel {
namespace {

constexpr int kPairs = 1000;
// Only a guard against a work that never runs: the assertion is on what ran, not on time.
constexpr uint64_t kGiveUpMs = 5000;

TEST(HostPlatformThreads, EveryWorkRunsOnceWhenTheOneStartedBeforeHasJustEnded) {
  const std::unique_ptr<Platform> platform = CreateHostPlatform();
  // Shared with the threads, which may outlive a failed test.
  const auto runs = std::make_shared<std::vector<std::atomic<int>>>(2 * kPairs);
  // Every core kept busy, as on a loaded machine: a thread that starts may then run to its end
  // before the one that started it goes on.
  std::atomic<bool> loading{true};
  std::vector<std::thread> load;
  for (unsigned core = 0; core < std::max(2U, std::thread::hardware_concurrency()); ++core) {
    load.emplace_back([&loading] {
      while (loading) {
      }
    });
  }
  for (int pair = 0; pair < kPairs; ++pair) {
    for (int index : {2 * pair, 2 * pair + 1}) {
      platform->StartThread([runs, index] { ++(*runs)[static_cast<size_t>(index)]; });
    }
    // A real sleep between pairs, as between two runs' thread starts: the earlier threads are
    // still on their way out when the next pair starts.
    const auto pairRan = [&runs, pair] {
      return (*runs)[static_cast<size_t>(2 * pair)] > 0 && (*runs)[static_cast<size_t>(2 * pair + 1)] > 0;
    };
    const uint64_t start = platform->MonotonicMs();
    while (!pairRan() && platform->MonotonicMs() - start < kGiveUpMs) platform->SleepMs(1);
  }
  loading = false;
  for (std::thread& spinner : load) spinner.join();
  std::vector<int> notOnce;
  for (int index = 0; index < 2 * kPairs; ++index) {
    if ((*runs)[static_cast<size_t>(index)] != 1) notOnce.push_back(index);
  }
  EXPECT_TRUE(notOnce.empty()) << notOnce.size() << " of " << 2 * kPairs
                               << " works did not run exactly once, the first is work "
                               << (notOnce.empty() ? -1 : notOnce.front());
}

}  // namespace
}  // namespace ostrel
