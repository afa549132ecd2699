// The application object: single instance, the choice of run and the process's end.
#pragma once

#include <string_view>

#include "platform/platform.h"
#include "update_record.h"

namespace ostrel {

constexpr int kSilentPollLimit = 360;
constexpr uint32_t kSilentPollPeriodMs = 500;
// How long the end of a run waits for the engine and supervision threads to return.
constexpr uint32_t kThreadEndWaitMs = 10000;

// Only "-s" as the first two characters selects the silent run.
bool IsSilentCommandLine(std::u16string_view commandLine);

// The silent run's wait for the engine: one diagnostic line and one 500 ms sleep per poll;
// sets code 5 on a failed state and 6 after 360 polls.
void PollEngine(CVarnelCameraDlg& record, Platform& platform);

class CVarnelCameraApp {
 public:
  explicit CVarnelCameraApp(Platform& platform) : platform_(platform) {}

  // Runs the program; commandLine is what follows the program name. Returns the exit code.
  int Run(std::u16string_view commandLine);

 private:
  void RunSilent(CVarnelCameraDlg& record);
  // True while an engine thread may still write to the update record.
  static bool EngineMayStillRun(const CVarnelCameraDlg& record);

  Platform& platform_;
};

}  // namespace ostrel
