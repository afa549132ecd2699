#include "update_log.h"

#include "fs/file_io.h"
#include "text/utf16.h"

namespace ostrel {

bool UpdateLog::Open(const std::u16string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (file_ != nullptr) return true;
  file_ = fs::OpenFile(path, "ab");
  if (file_ == nullptr) return false;
  if (std::fseek(file_, 0, SEEK_END) == 0 && std::ftell(file_) == 0) {
    std::fwrite("\xFF\xFE", 1, 2, file_);
    std::fflush(file_);
  }
  return true;
}

void UpdateLog::Close() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

bool UpdateLog::IsOpen() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return file_ != nullptr;
}

void UpdateLog::Write(std::u16string_view format, std::initializer_list<FormatArg> args) {
  const std::string bytes = text::Utf16ToLeBytes(FormatWide(format, args));
  std::lock_guard<std::mutex> lock(mutex_);
  if (file_ == nullptr) return;
  // A failed write is not reported: the update goes on without its log.
  std::fwrite(bytes.data(), 1, bytes.size(), file_);
  std::fflush(file_);
}

std::u16string LogTimeStamp(const std::tm& t) {
  return FormatWide(u"%02d:%02d:%02d (%02d/%02d)",
                    {t.tm_hour, t.tm_min, t.tm_sec, t.tm_mon + 1, t.tm_mday});
}

}  // namespace ostrel
