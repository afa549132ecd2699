#include "program_folder.h"

#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <regex>

#include "text/utf16.h"
#include "time_limit.h"

namespace ostrel::testing {
namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

constexpr size_t kBannerChars = 60;

}  // namespace

#ifdef _WIN32
int ProgramFolder::Shell(const std::string& command) const {
  const std::u16string line = u"cd /d \"" + Path() + u"\" && " + text::Utf8ToUtf16(command);
  return _wsystem(std::wstring(line.begin(), line.end()).c_str());
}

// Started directly rather than through the shell, so that a run which does not end can be
// ended: left running, it would hold the single-instance mutex of the prefix, and every later
// run there would end at once as a second instance.
int ProgramFolder::RunOstrel(bool silent) const {
  const DWORD runLimitMs = ScaledLimitMs(90000);
  constexpr UINT kEndedByTest = 0xDEAD;
  const std::u16string program = File(u"ostrel.exe");
  std::wstring commandLine = L"\"" + std::wstring(program.begin(), program.end()) + L"\"" +
                             (silent ? L" -s" : L"");
  const std::u16string folder = Path();
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      std::wstring(folder.begin(), folder.end()).c_str(), &startup, &process)) {
    ADD_FAILURE() << "ostrel.exe could not be started: " << GetLastError();
    return -1;
  }
  CloseHandle(process.hThread);
  if (WaitForSingleObject(process.hProcess, runLimitMs) == WAIT_TIMEOUT) {
    ADD_FAILURE() << "ostrel.exe did not end within " << runLimitMs / 1000 << " s: ended";
    TerminateProcess(process.hProcess, kEndedByTest);
    WaitForSingleObject(process.hProcess, INFINITE);
  }
  DWORD exitCode = 0;
  GetExitCodeProcess(process.hProcess, &exitCode);
  CloseHandle(process.hProcess);
  return static_cast<int>(exitCode);
}

std::string ProgramFile() { return "ostrel.exe"; }

std::string LibraryFile(const std::string& windowsName) { return windowsName; }
#else
int ProgramFolder::Shell(const std::string& command) const {
  const int status = std::system(("cd '" + text::Utf16ToUtf8(Path()) + "' && " + command).c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int ProgramFolder::RunOstrel(bool silent) const {
  return Shell(std::string("./ostrel") + (silent ? " -s" : "") + " >/dev/null 2>&1 </dev/null");
}

std::string ProgramFile() { return "ostrel"; }

std::string LibraryFile(const std::string& windowsName) {
  std::string name = windowsName.substr(0, windowsName.rfind('.'));
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return "lib" + name + ".so";
}
#endif

std::string ProgramFolder::LogAfterBanner() const {
  const std::string log = ReadFile(u"bin/Ostrel_sp.log");
  EXPECT_EQ(log.substr(0, 2), "\xFF\xFE");
  const std::string banner =
      text::Utf16ToUtf8(text::LeBytesToUtf16(log.substr(2, kBannerChars * 2)));
  EXPECT_TRUE(std::regex_match(banner, std::regex("={35}\\d\\d:\\d\\d:\\d\\d \\(\\d\\d/\\d\\d\\)={7}\r\n")))
      << banner;
  return log.size() < 2 + kBannerChars * 2 ? std::string() : log.substr(2 + kBannerChars * 2);
}

std::string Utf16Le(std::initializer_list<std::u16string> lines) {
  std::string bytes;
  for (const auto& line : lines) bytes += text::Utf16ToLeBytes(line);
  return bytes;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string WorldCamera(const std::string& model, const std::string& vid, const std::string& pid,
                        const std::string& release, const std::string& extraKeys) {
  return WorldCamera(1, model, vid, pid, release, extraKeys);
}

std::string WorldCamera(int number, const std::string& model, const std::string& vid,
                        const std::string& pid, const std::string& release,
                        const std::string& extraKeys) {
  char piece[9];
  std::snprintf(piece, sizeof piece, "%08x", 0x2e3f1c7eu + static_cast<unsigned>(number - 1));
  return "[Camera" + std::to_string(number) + "]\r\nModel=" + model + "\r\nDevicePath=\\\\?\\usb#vid_" +
         vid + "&pid_" + pid + "&mi_00#6&" + piece +
         "&0&0000#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global\r\n"
         "InstanceId=USB\\VID_" + Upper(vid) + "&PID_" + Upper(pid) + "&MI_00\\6&" + Upper(piece) +
         "&0&0000\r\nHardwareId=USB\\VID_" + Upper(vid) + "&PID_" + Upper(pid) + "&REV_" + release +
         "&MI_00\r\n" + extraKeys;
}

std::string WithManufacturer(std::string image, const std::string& manufacturer) {
  if (manufacturer.empty()) {
    image[0x4030] = 0;
    return image;
  }
  std::string slot(64, '\0');
  slot[0] = static_cast<char>(2 + 2 * manufacturer.size());
  slot[1] = 3;
  for (size_t i = 0; i < manufacturer.size(); ++i) slot[2 + 2 * i] = manufacturer[i];
  image.replace(0x2020 + 3 * 64, 64, slot);
  image[0x402E] = 3;
  return image;
}

}  // namespace ostrel::testing
