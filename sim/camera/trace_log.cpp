#include "camera/trace_log.h"

#include "fs/file_io.h"

namespace sim {

TraceLog::TraceLog(const std::u16string& path) {
  if (!path.empty()) file_ = fs::OpenFile(path, "ab");
}

TraceLog::~TraceLog() {
  if (file_ != nullptr) std::fclose(file_);
}

void TraceLog::Line(const std::string& line) {
  if (file_ == nullptr) return;
  std::lock_guard<std::mutex> hold(mutex_);
  std::fwrite(line.data(), 1, line.size(), file_);
  std::fputc('\n', file_);
  std::fflush(file_);
}

std::string RequestLine(const char* op, int unit, uint32_t selector, uint32_t length,
                        const uint8_t* data, size_t dataLength, uint32_t status) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (size_t i = 0; i < dataLength; ++i) {
    hex += kDigits[data[i] >> 4];
    hex += kDigits[data[i] & 15];
  }
  if (hex.empty()) hex = "-";
  char statusText[9];
  std::snprintf(statusText, sizeof statusText, "%08x", static_cast<unsigned>(status));
  return std::string(op) + ' ' + (unit < 0 ? std::string("?") : std::to_string(unit)) + ' ' +
         std::to_string(selector) + ' ' + std::to_string(length) + ' ' + hex + ' ' + statusText;
}

}  // namespace sim
