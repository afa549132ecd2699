// What every command works with: its invocation, the camera it binds, and the one report (or
// error) it prints.
#pragma once

#include <string>
#include <vector>

#include "camera_list.h"
#include "exit_codes.h"
#include "invocation.h"
#include "json_value.h"

namespace cli {

class Session {
 public:
  Session(const Invocation& invocation, std::string command);

  const Invocation& Args() const { return invocation_; }
  // The command's words after its name (after "flash read" for the flash family).
  const std::vector<std::string>& Words() const { return words_; }
  void DropWord() { words_.erase(words_.begin()); }

  // Binds the camera --device names (one of ListVideoInputs) or, without it, the first
  // supported one. kExitOk, or the failure already reported.
  ExitCode Bind();
  // Every video input with the handle the library can bind it by.
  const std::vector<VideoInput>& Inputs();

  // A report object that starts with the command's name.
  Value NewReport() const;
  ExitCode Report(const Value& report) const;
  // Prints an error (with the library's result when there is one) and returns code.
  ExitCode Fail(ExitCode code, const std::string& message) const;
  // Maps a library result: kExitOk for ZEL_OK, else the failure reported with what failed.
  ExitCode Check(int result, const std::string& what) const;
  // A word of the command as a number, or a usage failure naming what it is.
  bool Number(size_t index, const char* what, uint32_t& value, ExitCode& failure) const;
  // Asks on the terminal unless --yes; false (and reported) when not confirmed.
  bool Confirm(const std::string& question) const;

 private:
  ExitCode Fail(ExitCode code, const std::string& message, int result) const;

  const Invocation& invocation_;
  std::string command_;
  std::vector<std::string> words_;
  std::vector<VideoInput> inputs_;
  bool listed_ = false;
};

// The result code's name, e.g. "ZEL_E_INVALID_ARG".
std::string ResultName(int result);

}  // namespace cli
