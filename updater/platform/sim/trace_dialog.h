// The windowed run without a window: every dialog operation is appended to the world's
// DialogTrace file, one line each, and Close is pressed every ClosePeriod ms of the
// platform's (scaled) clock until the dialog lets it close.
#pragma once

#include <cstdio>
#include <map>
#include <mutex>
#include <string>

#include "platform/platform.h"

namespace ostrel::sim_platform {

class TraceDialog : public DialogView {
 public:
  TraceDialog(const std::u16string& tracePath, uint32_t closePeriodMs, Platform& platform);
  ~TraceDialog() override;
  TraceDialog(const TraceDialog&) = delete;
  TraceDialog& operator=(const TraceDialog&) = delete;

  void Run(DialogHandler& handler);

  void SetControlText(int controlId, const std::u16string& text) override;
  void SetProgressPosition(int position) override;
  void ShowStateBitmap(int bitmapId) override;
  void EnableControl(int controlId, bool enabled) override;
  void StartTimer(int timerId, uint32_t periodMs) override;
  void KillTimer(int timerId) override;

 private:
  struct Timer {
    uint32_t periodMs;
    uint64_t dueMs;
  };
  void Append(const std::string& line);
  // Fires the timers due at nowMs; returns when the next one is due (or farthest).
  uint64_t FireDueTimers(DialogHandler& handler, uint64_t nowMs, uint64_t farthest);

  std::FILE* file_;
  const uint32_t closePeriodMs_;
  Platform& platform_;
  std::mutex mutex_;
  std::map<int, Timer> timers_;
};

}  // namespace ostrel::sim_platform
