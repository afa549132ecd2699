// The world's trace: one line per device request, appended and flushed as it is written.
#pragma once

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

namespace sim {

class TraceLog {
 public:
  // An empty path traces nothing.
  explicit TraceLog(const std::u16string& path);
  ~TraceLog();
  TraceLog(const TraceLog&) = delete;
  TraceLog& operator=(const TraceLog&) = delete;

  // Whether lines are written at all: a caller formats a line only when one is wanted.
  bool Enabled() const { return file_ != nullptr; }
  void Line(const std::string& line);

 private:
  std::mutex mutex_;
  std::FILE* file_ = nullptr;
};

// "<OP> <unit> <selector> <length> <data> <status>", data in lower-case hex or "-".
std::string RequestLine(const char* op, int unit, uint32_t selector, uint32_t length,
                        const uint8_t* data, size_t dataLength, uint32_t status);

}  // namespace sim
