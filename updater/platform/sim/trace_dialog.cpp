#include "platform/sim/trace_dialog.h"

#include <algorithm>
#include <vector>

#include "fs/file_io.h"
#include "text/utf16.h"

namespace ostrel::sim_platform {

TraceDialog::TraceDialog(const std::u16string& tracePath, uint32_t closePeriodMs,
                         Platform& platform)
    : file_(fs::OpenFile(tracePath, "ab")),
      closePeriodMs_(std::max<uint32_t>(closePeriodMs, 1)),
      platform_(platform) {
  if (file_ == nullptr) platform_.DebugOutput(u"Ostrel: cannot open the dialog trace " + tracePath);
}

TraceDialog::~TraceDialog() {
  if (file_ != nullptr) std::fclose(file_);
}

void TraceDialog::Append(const std::string& line) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (file_ == nullptr) return;
  std::fputs((line + "\n").c_str(), file_);
  std::fflush(file_);
}

void TraceDialog::SetControlText(int controlId, const std::u16string& text) {
  Append("TEXT " + std::to_string(controlId) + " " + text::Utf16ToUtf8(text));
}

void TraceDialog::SetProgressPosition(int position) { Append("POS " + std::to_string(position)); }

void TraceDialog::ShowStateBitmap(int bitmapId) { Append("BITMAP " + std::to_string(bitmapId)); }

void TraceDialog::EnableControl(int controlId, bool enabled) {
  Append("ENABLE " + std::to_string(controlId) + (enabled ? " 1" : " 0"));
}

void TraceDialog::StartTimer(int timerId, uint32_t periodMs) {
  const uint64_t now = platform_.MonotonicMs();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    timers_[timerId] = Timer{std::max<uint32_t>(periodMs, 1), now + periodMs};
  }
  Append("TIMER " + std::to_string(timerId) + " " + std::to_string(periodMs));
}

void TraceDialog::KillTimer(int timerId) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    timers_.erase(timerId);
  }
  Append("KILLTIMER " + std::to_string(timerId));
}

uint64_t TraceDialog::FireDueTimers(DialogHandler& handler, uint64_t nowMs, uint64_t farthest) {
  std::vector<int> due;
  uint64_t next = farthest;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto& [id, timer] : timers_) {
      if (timer.dueMs <= nowMs) {
        timer.dueMs = nowMs + timer.periodMs;
        due.push_back(id);
      }
      next = std::min(next, timer.dueMs);
    }
  }
  // Handlers run without the lock: they start and kill timers themselves.
  for (int id : due) handler.OnTimer(id);
  return next;
}

void TraceDialog::Run(DialogHandler& handler) {
  handler.OnInitDialog(*this);
  uint64_t nextClose = platform_.MonotonicMs() + closePeriodMs_;
  for (;;) {
    const uint64_t now = platform_.MonotonicMs();
    // Timers before Close: a press due at the same moment sees what the timer started.
    const uint64_t nextTimer = FireDueTimers(handler, now, nextClose);
    if (now >= nextClose) {
      nextClose = now + closePeriodMs_;
      const bool accepted = handler.OnCloseRequest();
      Append(accepted ? "CLOSE accepted" : "CLOSE refused");
      if (accepted) return;
    }
    const uint64_t wake = std::min(nextTimer, nextClose);
    const uint64_t later = platform_.MonotonicMs();
    platform_.SleepMs(wake > later ? static_cast<uint32_t>(wake - later) : 1);
  }
}

}  // namespace ostrel::sim_platform
