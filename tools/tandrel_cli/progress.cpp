#include "progress.h"

#include <cstdio>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace cli {
namespace {

constexpr int kBarWidth = 30;
constexpr auto kRedrawPeriod = std::chrono::milliseconds(100);

std::string Duration(double seconds) {
  const auto whole = static_cast<long>(seconds + 0.5);
  char text[32];
  std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
  return text;
}

}  // namespace

Progress::Progress(std::string label, uint64_t totalBytes, bool quiet)
    : label_(std::move(label)),
      total_(totalBytes),
      quiet_(quiet),
      terminal_(isatty(fileno(stderr)) != 0),
      start_(std::chrono::steady_clock::now()) {}

Progress::~Progress() { Finish(); }

void Progress::Update(uint64_t done, uint64_t requests) {
  done_ = done;
  requests_ = requests;
  const auto now = std::chrono::steady_clock::now();
  const int tenth = total_ == 0 ? 10 : static_cast<int>(done * 10 / total_);
  const bool due = terminal_ ? now - lastDrawn_ >= kRedrawPeriod : tenth != lastTenth_;
  if (!due) return;
  lastDrawn_ = now;
  lastTenth_ = tenth;
  Draw(done, requests, false);
}

void Progress::Finish() {
  if (finished_) return;
  finished_ = true;
  Draw(done_, requests_, true);
}

void Progress::Draw(uint64_t done, uint64_t requests, bool last) {
  if (quiet_) return;
  const double elapsed =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  const double rate = elapsed > 0 ? static_cast<double>(requests) / elapsed : 0;
  const int percent = total_ == 0 ? 100 : static_cast<int>(done * 100 / total_);
  const double left =
      done > 0 ? elapsed * static_cast<double>(total_ - done) / static_cast<double>(done) : 0;
  if (terminal_) {
    std::string bar(kBarWidth, ' ');
    for (int i = 0; i < kBarWidth * percent / 100; ++i) bar[i] = '#';
    std::fprintf(stderr, "\r%s [%s] %3d%%  %llu/%llu bytes  %.0f req/s  %s left    %s",
                 label_.c_str(), bar.c_str(), percent, static_cast<unsigned long long>(done),
                 static_cast<unsigned long long>(total_), rate, Duration(left).c_str(),
                 last ? "\n" : "");
  } else if (!last || percent != lastTenth_ * 10) {
    std::fprintf(stderr, "%s: %d%% %llu/%llu bytes, %.0f req/s, %s left\n", label_.c_str(), percent,
                 static_cast<unsigned long long>(done), static_cast<unsigned long long>(total_),
                 rate, Duration(left).c_str());
  }
  std::fflush(stderr);
}

}  // namespace cli
