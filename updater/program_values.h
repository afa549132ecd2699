// The program-wide values of one run, shared by the main, engine and supervision threads.
// Values polled across threads are atomics of their established width: the same single stores
// and polled reads, without a data race. Their default (sequentially consistent) order is the
// one a run's ending relies on: a thread that sees the last of its stores sees the ones before.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

namespace ostrel {

constexpr int kDevicePathCount = 10;
constexpr int kDevicePathBytes = 260;
constexpr int kPartCount = 4;              // parts 1 to 4; entry 0 is unused
constexpr uint32_t kPartImageBytes = 65536;
constexpr int kNameChars = 256;

extern std::atomic<int32_t> g_bShowWindow;
extern std::atomic<int32_t> g_nExitCode;
extern std::atomic<int32_t> g_bReadyToUpdate;
extern std::atomic<int32_t> g_bEngineRunning;
extern std::unique_ptr<char[][kDevicePathBytes]> g_szDevicePaths;
extern std::unique_ptr<uint8_t[]> g_pPartImage[kPartCount + 1];
extern int32_t g_nPartImageSize[kPartCount + 1];
extern char16_t g_szPartBinName[kPartCount + 1][kNameChars];
// The part image a multi-image engine chose for the camera (1 to 4), 0 when none.
extern int32_t g_nSelectedPart;
// The supervision's 25 %, 50 % and 75 % log lines: each is written at most once per process.
constexpr int kMilestoneCount = 3;
extern std::atomic<int32_t> g_bMilestoneLogged[kMilestoneCount];

// Back to the start values a process begins with (a new run in the same process: tests).
void ResetProgramValues();

}  // namespace ostrel
