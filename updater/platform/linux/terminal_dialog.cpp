#include "platform/linux/terminal_dialog.h"

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <vector>

#include "outcome.h"
#include "text/utf16.h"

namespace ostrel::linux_platform {
namespace {

std::atomic<int> g_interrupts{0};

void OnInterrupt(int) { g_interrupts.fetch_add(1); }

const char* BitmapCaption(int bitmap) {
  switch (bitmap) {
    case kBmpWorking:
      return "[updating]";
    case kBmpSuccess:
      return "[done]";
    case kBmpStarted:
      return "[started]";
    case kBmpNothingDone:
      return "[nothing to do]";
    case kBmpFailure:
      return "[failed]";
    default:
      return "";
  }
}

constexpr int kTickMs = 50;

}  // namespace

TerminalDialog::TerminalDialog(std::FILE* out, int inputFd, Platform& platform)
    : out_(out),
      inputFd_(inputFd),
      interactive_(isatty(inputFd) != 0),
      redrawInPlace_(isatty(fileno(out)) != 0),
      platform_(platform) {
  texts_[kCtlProgressText] = u"0%";
}

void TerminalDialog::SetControlText(int controlId, const std::u16string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  texts_[controlId] = text;
}

void TerminalDialog::SetProgressPosition(int position) {
  std::lock_guard<std::mutex> lock(mutex_);
  progress_ = position < 0 ? 0 : (position > 100 ? 100 : position);
}

void TerminalDialog::ShowStateBitmap(int bitmapId) {
  std::lock_guard<std::mutex> lock(mutex_);
  bitmap_ = bitmapId;
}

void TerminalDialog::EnableControl(int controlId, bool enabled) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (controlId == kCtlClose) closeEnabled_ = enabled;
}

void TerminalDialog::StartTimer(int timerId, uint32_t periodMs) {
  std::lock_guard<std::mutex> lock(mutex_);
  timers_[timerId] = Timer{periodMs, platform_.MonotonicMs() + periodMs};
}

void TerminalDialog::KillTimer(int timerId) {
  std::lock_guard<std::mutex> lock(mutex_);
  timers_.erase(timerId);
}

std::string TerminalDialog::Frame() const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto textOf = [this](int id) {
    const auto it = texts_.find(id);
    return it == texts_.end() ? std::string() : text::Utf16ToUtf8(it->second);
  };
  constexpr int kBarWidth = 30;
  const int filled = progress_ * kBarWidth / 100;
  std::string frame = "NORV camera update v4.0  " + std::string(BitmapCaption(bitmap_)) + "\n";
  frame += "  Vid : " + textOf(kCtlVid) + "   Pid : " + textOf(kCtlPid) + "   " +
           textOf(kCtlCameraVersion) + " " + textOf(kCtlImageVersion) + "\n";
  frame += "  [" + std::string(filled, '#') + std::string(kBarWidth - filled, '.') + "] " +
           textOf(kCtlProgressText) + "\n";
  frame += "  " + textOf(kCtlStatus) + (closeEnabled_ ? "   [Close: Enter]" : "   [Close disabled]") +
           "\n";
  return frame;
}

void TerminalDialog::DrawIfChanged() {
  const std::string frame = Frame();
  if (frame == drawn_) return;
  // On a terminal the frame is redrawn in place; elsewhere each new frame follows the last.
  if (redrawInPlace_ && drawnLines_ > 0) std::fprintf(out_, "\033[%dA\033[J", drawnLines_);
  std::fputs(frame.c_str(), out_);
  std::fflush(out_);
  drawn_ = frame;
  drawnLines_ = 4;
}

void TerminalDialog::FireDueTimers(DialogHandler& handler) {
  std::vector<int> due;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    const uint64_t now = platform_.MonotonicMs();
    for (auto& [id, timer] : timers_) {
      if (now < timer.dueMs) continue;
      timer.dueMs = now + timer.periodMs;
      due.push_back(id);
    }
  }
  for (int id : due) handler.OnTimer(id);
}

bool TerminalDialog::NothingLeftToDo() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return closeEnabled_ && timers_.empty();
}

bool TerminalDialog::CloseRequested(int waitMs) {
  if (g_interrupts.exchange(0) > 0) return true;
  if (inputFd_ < 0) return false;
  pollfd input{inputFd_, POLLIN, 0};
  if (poll(&input, 1, waitMs) <= 0) return g_interrupts.exchange(0) > 0;
  char buffer[64];
  const ssize_t got = read(inputFd_, buffer, sizeof buffer);
  if (got <= 0) {
    inputFd_ = -1;  // end of input: from now on Close is pressed on a schedule
    return true;
  }
  for (ssize_t i = 0; i < got; ++i) {
    if (buffer[i] == '\n' || buffer[i] == 'q') return true;
  }
  return false;
}

void TerminalDialog::Run(DialogHandler& handler) {
  struct sigaction action {};
  struct sigaction previous {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, &previous);

  handler.OnInitDialog(*this);
  for (;;) {
    handler.OnRepaint();
    DrawIfChanged();
    bool close = CloseRequested(kTickMs);
    if (inputFd_ < 0) {
      close = NothingLeftToDo();
      usleep(kTickMs * 1000);
    }
    FireDueTimers(handler);
    if (!close) continue;
    if (handler.OnCloseRequest()) break;
    if (interactive_ && redrawInPlace_) {
      std::fputs("  (an update is running: Close is refused)\n", out_);
      drawnLines_ += 1;
    }
  }
  handler.OnRepaint();
  DrawIfChanged();
  sigaction(SIGINT, &previous, nullptr);
}

}  // namespace ostrel::linux_platform
