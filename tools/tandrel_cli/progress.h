// Progress of a long operation on standard error: a redrawn bar on a terminal (percent,
// bytes, requests per second, time left), a plain line every tenth otherwise, nothing with
// --quiet.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace cli {

class Progress {
 public:
  Progress(std::string label, uint64_t totalBytes, bool quiet);
  ~Progress();
  // done bytes of the total, requests sent so far.
  void Update(uint64_t done, uint64_t requests);
  // The stage the next drawing names.
  void Relabel(std::string label) { label_ = std::move(label); }
  // Ends the bar's line (a terminal) so that later output starts on its own line.
  void Finish();

 private:
  void Draw(uint64_t done, uint64_t requests, bool last);

  std::string label_;
  uint64_t total_;
  bool quiet_;
  bool terminal_;
  bool finished_ = false;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point lastDrawn_;
  int lastTenth_ = -1;
  uint64_t done_ = 0;
  uint64_t requests_ = 0;
};

}  // namespace cli
