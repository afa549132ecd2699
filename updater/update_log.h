// The update log, bin/Ostrel_sp.log: UTF-16LE text appended by every run, one formatted write
// per message from any thread. A byte-order mark starts the file when it is created.
//
// Line ends: the bytes are the same on every platform. Messages carry their own "\r\n" and
// are stored exactly as formatted, without a text-mode translation (which would store
// "\r\r\n" on Windows); a reader sees CRLF lines.
#pragma once

#include <cstdio>
#include <ctime>
#include <mutex>
#include <string>

#include "wide_format.h"

namespace ostrel {

class UpdateLog {
 public:
  UpdateLog() = default;
  UpdateLog(const UpdateLog&) = delete;
  UpdateLog& operator=(const UpdateLog&) = delete;
  ~UpdateLog() { Close(); }

  // Opens the file for appending. False when it cannot be opened (a missing bin folder, for
  // instance): the log then stays closed and every write is dropped.
  bool Open(const std::u16string& path);
  void Close();
  bool IsOpen() const;

  // Formats and appends one message; it reaches the file before the call returns.
  void Write(std::u16string_view format, std::initializer_list<FormatArg> args = {});

 private:
  mutable std::mutex mutex_;
  std::FILE* file_ = nullptr;
};

// The banner's time stamp, "%H:%M:%S (%m/%d)", for example 14:03:59 (12/06).
std::u16string LogTimeStamp(const std::tm& localTime);

}  // namespace ostrel
