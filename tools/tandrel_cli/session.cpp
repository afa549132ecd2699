#include "session.h"

#include <cstdio>
#include <iostream>

#include "tandrel.h"

namespace cli {

ExitCode ExitForResult(int result) {
  switch (result) {
    case ZEL_OK:
      return kExitOk;
    case ZEL_E_UNREACHABLE:
      return kExitNoCamera;
    case ZEL_E_INVALID_ARG:
      return kExitRefused;
    case ZEL_E_NOT_SUPPORTED:
      return kExitNotSupported;
    default:
      return kExitDevice;
  }
}

std::string ResultName(int result) {
  switch (result) {
    case ZEL_OK:
      return "ZEL_OK";
    case ZEL_E_UNREACHABLE:
      return "ZEL_E_UNREACHABLE";
    case ZEL_E_DEVICE:
      return "ZEL_E_DEVICE";
    case ZEL_E_INVALID_ARG:
      return "ZEL_E_INVALID_ARG";
    case ZEL_E_NOT_READY:
      return "ZEL_E_NOT_READY";
    case ZEL_E_NOT_FOUND:
      return "ZEL_E_NOT_FOUND";
    case ZEL_E_NOT_SUPPORTED:
      return "ZEL_E_NOT_SUPPORTED";
    case ZEL_E_ERASE_INCOMPLETE:
      return "ZEL_E_ERASE_INCOMPLETE";
    default:
      return std::to_string(result);
  }
}

namespace {

const char* Explanation(ExitCode code) {
  switch (code) {
    case kExitNoCamera:
      return "no camera (none attached, or it does not answer)";
    case kExitRefused:
      return "value refused";
    case kExitNotSupported:
      return "not supported by this camera or library";
    default:
      return "camera request failed";
  }
}

}  // namespace

Session::Session(const Invocation& invocation, std::string command)
    : invocation_(invocation), command_(std::move(command)) {
  if (invocation.words.size() > 1)
    words_.assign(invocation.words.begin() + 1, invocation.words.end());
}

const std::vector<VideoInput>& Session::Inputs() {
  if (!listed_) inputs_ = ListVideoInputs();
  listed_ = true;
  return inputs_;
}

ExitCode Session::Bind() {
  if (!invocation_.device) {
    // The first input that passes the library's probe, bound by its handle as the updater
    // binds the camera it writes; without any, the library looks for itself.
    for (const VideoInput& input : Inputs()) {
      if (ZelSetDeviceHandle(input.handle) == ZEL_OK) return kExitOk;
    }
    ZelSetDeviceHandle(nullptr);
    return kExitOk;
  }
  for (const VideoInput& input : Inputs()) {
    if (input.handleText != *invocation_.device) continue;
    if (ZelSetDeviceHandle(input.handle) == ZEL_OK) return kExitOk;
    return Fail(kExitNoCamera, "camera " + input.handleText + " does not answer",
                ZEL_E_UNREACHABLE);
  }
  return Fail(kExitNoCamera, "no video input " + *invocation_.device + " (see `tandrel list`)");
}

// The command's name leads the JSON object; the text, which answers one command, goes without.
Value Session::NewReport() const {
  return invocation_.json ? Value().Set("command", command_) : Value(Value::Object{});
}

ExitCode Session::Report(const Value& report) const {
  std::cout << (invocation_.json ? report.Json() + "\n" : report.Text("")) << std::flush;
  return kExitOk;
}

ExitCode Session::Fail(ExitCode code, const std::string& message) const {
  if (invocation_.json) {
    std::cout << NewReport().Set("error", message).Set("exit", static_cast<int>(code)).Json()
              << "\n"
              << std::flush;
  } else {
    std::cerr << "tandrel " << command_ << ": " << message << "\n";
  }
  return code;
}

ExitCode Session::Fail(ExitCode code, const std::string& message, int result) const {
  if (invocation_.json) {
    std::cout << NewReport()
                     .Set("error", message)
                     .Set("result", result)
                     .Set("result_name", ResultName(result))
                     .Set("exit", static_cast<int>(code))
                     .Json()
              << "\n"
              << std::flush;
  } else {
    std::cerr << "tandrel " << command_ << ": " << message << " (" << ResultName(result) << ")\n";
  }
  return code;
}

ExitCode Session::Check(int result, const std::string& what) const {
  if (result == ZEL_OK) return kExitOk;
  const ExitCode code = ExitForResult(result);
  return Fail(code, what + ": " + Explanation(code), result);
}

bool Session::Number(size_t index, const char* what, uint32_t& value, ExitCode& failure) const {
  if (index >= words_.size()) {
    failure = Fail(kExitUsage, std::string("missing ") + what + " (see --help)");
    return false;
  }
  const auto number = ParseNumber(words_[index]);
  if (!number) {
    failure = Fail(kExitUsage, std::string(what) + " is not a number: " + words_[index]);
    return false;
  }
  value = *number;
  return true;
}

bool Session::Confirm(const std::string& question) const {
  if (invocation_.yes) return true;
  std::cerr << question << " [y/N] " << std::flush;
  std::string answer;
  if (std::getline(std::cin, answer) && (answer == "y" || answer == "Y" || answer == "yes"))
    return true;
  Fail(kExitDeclined, "not confirmed (give --yes to skip the question)");
  return false;
}

}  // namespace cli
