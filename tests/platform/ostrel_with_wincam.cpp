#include "ostrel_with_wincam.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <regex>

#include "registration.h"
#include "text/utf16.h"

namespace ostrel::testing {
namespace {

namespace stdfs = std::filesystem;

struct RunRow {
  std::string caseName;
  SilentRun run;
};

std::vector<RunRow>& RunTable() {
  static std::vector<RunRow> rows;
  return rows;
}

std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string FlashFileName(int n) { return "camera" + std::to_string(n) + ".flash"; }

std::string CameraSection(int number, const WincamCamera& camera) {
  const std::string n = std::to_string(number);
  const std::string usbId = "USB\\VID_" + camera.vid + "&PID_" + camera.pid;
  const std::string devicePath = camera.usb
                                     ? "\\\\?\\usb#vid_" + Lower(camera.vid) + "&pid_" +
                                           Lower(camera.pid) + "&mi_00#6&" + Lower(camera.piece) +
                                           "&0&0000#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global"
                                     : "\\\\?\\root#image#" + Lower(camera.piece) +
                                           "#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global";
  std::string section = "[Camera" + n + "]\r\nModel=" + camera.model +
                        "\r\nDevicePath=" + devicePath + "\r\nHardwareId=" + usbId + "&REV_" +
                        camera.release + "&MI_00\r\n";
  if (camera.usb) section += "InstanceId=" + usbId + "&MI_00\\6&" + camera.piece + "&0&0000\r\n";
  if (camera.model == "zel") section += "Flash=" + FlashFileName(number) + "\r\n";
  return section + camera.extraKeys;
}

// The lines after the last banner: the lines of the run that wrote to the log last.
std::vector<std::string> LastRunLines(const std::string& logBytes) {
  if (logBytes.compare(0, 2, "\xFF\xFE") != 0) {
    ADD_FAILURE() << "the log does not start with a UTF-16LE byte-order mark";
    return {};
  }
  const std::string text = text::Utf16ToUtf8(text::LeBytesToUtf16(logBytes.substr(2)));
  static const std::regex banner("={35}\\d\\d:\\d\\d:\\d\\d \\(\\d\\d/\\d\\d\\)={7}");
  std::vector<std::string> lines;
  for (size_t start = 0; start < text.size();) {
    const size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << "log line without CRLF: " << text.substr(start);
      break;
    }
    std::string line = text.substr(start, end - start);
    if (std::regex_match(line, banner)) {
      lines.clear();
    } else {
      lines.push_back(std::move(line));
    }
    start = end + 2;
  }
  return lines;
}

}  // namespace

const char* ModeName(WindowsMode mode) {
  return mode == WindowsMode::kWindows10 ? "Windows 10" : "Windows 7";
}

OstrelWithWincam::OstrelWithWincam(WindowsMode windowsMode) : mode(windowsMode) {
  stdfs::copy_file(OSTREL_PROGRAM, stdfs::path(program.File(u"ostrel.exe")));
  stdfs::copy_file(OSTREL_TANDREL, stdfs::path(program.File(u"Tandrel.dll")));
  program.WriteFile(u"pid.ini", "[PID_2040]\r\nCHIP=4\r\nBIN=zel.bin\r\n");
  program.MakeFolder(u"bin");
  stdfs::copy_file(OSTREL_WINCAM, stdfs::path(camera.File(u"wincam.dll")));
}

OstrelWithWincam::~OstrelWithWincam() { wincam::Unregister(); }

void OstrelWithWincam::UseWorld(const std::vector<WincamCamera>& cameras,
                                const std::string& moreSections) const {
  // Model waits (erase polls, request delays) a hundred times faster; the updater's own
  // waits are the real ones.
  std::string world = std::string("[World]\r\nTimeScale=0.01\r\nSetupClass=") +
                      (mode == WindowsMode::kWindows10 ? "Camera" : "Image") + "\r\n";
  for (size_t i = 0; i < cameras.size(); ++i) {
    world += "\r\n" + CameraSection(static_cast<int>(i + 1), cameras[i]);
  }
  camera.WriteFile(u"simcam.ini", world + "\r\n" + moreSections);
  Register();
}

void OstrelWithWincam::Register() const {
  EXPECT_EQ(wincam::RegisterFolder(Wide(camera.Path())), 0u);
}

SilentRun OstrelWithWincam::RunSilent(const std::string& caseName) const {
  SilentRun run{program.RunOstrel(true), LastRunLines(program.ReadFile(u"bin/Ostrel_sp.log"))};
  RunTable().push_back({caseName + " (" + ModeName(mode) + ")", run});
  return run;
}

void OstrelWithWincam::UseImage(const std::string& bytes) const {
  program.WriteFile(u"bin/zel.bin", bytes);
}

void OstrelWithWincam::UseFlash(int n, const std::string& bytes) const {
  camera.WriteFile(text::Utf8ToUtf16(FlashFileName(n)), bytes);
}

std::string OstrelWithWincam::Flash(int n) const {
  return camera.ReadFile(text::Utf8ToUtf16(FlashFileName(n)));
}

void PrintRunTable() {
  constexpr const char* kRow = "%-64s %4s  %s\n";
  std::printf("\nostrel.exe -s and Tandrel.dll under %s with the Windows test camera\n",
              sizeof(void*) == 4 ? "32-bit Wine" : "wine64");
  std::printf(kRow, "case", "exit", "log lines of the run");
  for (const RunRow& row : RunTable()) {
    const std::vector<std::string>& log = row.run.log;
    std::printf(kRow, row.caseName.c_str(), std::to_string(row.run.exitCode).c_str(),
                log.empty() ? "-" : log.front().c_str());
    for (size_t i = 1; i < log.size(); ++i) std::printf(kRow, "", "", log[i].c_str());
  }
  std::fflush(stdout);
}

}  // namespace ostrel::testing
