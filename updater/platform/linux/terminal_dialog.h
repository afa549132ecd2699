// The main dialog drawn in a terminal: identity, progress bar with its text, status line and
// a Close button (Enter, or Ctrl-C). Close is refused while an update runs, as in the window.
// Without input (standard input at its end), Close is pressed as soon as the dialog has
// nothing left to do by itself: Close enabled and no timer pending. An unattended windowed run
// so shows the whole update and ends with it.
#pragma once

#include <cstdio>
#include <map>
#include <mutex>
#include <string>

#include "platform/platform.h"

namespace ostrel::linux_platform {

class TerminalDialog : public DialogView {
 public:
  // clock: the platform's monotonic milliseconds, which the timers follow.
  TerminalDialog(std::FILE* out, int inputFd, Platform& platform);

  void Run(DialogHandler& handler);

  void SetControlText(int controlId, const std::u16string& text) override;
  void SetProgressPosition(int position) override;
  void ShowStateBitmap(int bitmapId) override;
  void EnableControl(int controlId, bool enabled) override;
  void StartTimer(int timerId, uint32_t periodMs) override;
  void KillTimer(int timerId) override;

  // The frame as it would be drawn now.
  std::string Frame() const;

 private:
  struct Timer {
    uint32_t periodMs;
    uint64_t dueMs;
  };
  bool CloseRequested(int waitMs);
  bool NothingLeftToDo() const;
  void DrawIfChanged();
  void FireDueTimers(DialogHandler& handler);

  std::FILE* out_;
  int inputFd_;
  bool interactive_;    // Close comes from the keyboard
  bool redrawInPlace_;  // the output is a terminal: each frame replaces the last
  Platform& platform_;
  mutable std::mutex mutex_;
  std::map<int, std::u16string> texts_;
  std::map<int, Timer> timers_;
  int progress_ = 0;
  int bitmap_ = 0;
  bool closeEnabled_ = true;
  std::string drawn_;
  int drawnLines_ = 0;
};

}  // namespace ostrel::linux_platform
