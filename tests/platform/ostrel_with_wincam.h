// The real ostrel.exe and Tandrel.dll of this build in a program folder, and the Windows test
// camera (wincam.dll and its world) in a camera folder of its own, registered in the Wine
// prefix the test runs in: the updater sees the world's cameras through DirectShow and
// SetupAPI exactly as it would see USB cameras.
#pragma once

#include <string>
#include <vector>

#include "program_folder.h"
#include "scratch_dir.h"

namespace ostrel::testing {

// Where Windows files the cameras' setup entries: Windows 10 (1709) and later under the camera
// class, Windows 7 and 8 under the imaging class.
enum class WindowsMode { kWindows10, kWindows7 };
const char* ModeName(WindowsMode mode);

// One camera of the world. Its device path holds its instance id, by which the updater pairs
// the DirectShow device with its setup entry.
struct WincamCamera {
  std::string model = "zel";
  std::string vid = "0408";        // four upper-case hexadecimal digits
  std::string pid = "2040";
  std::string release = "0105";    // REV_ of the hardware id (a zel camera reports its flash's)
  std::string piece = "2E3F1C7E";  // upper case; the device path holds it in lower case
  bool usb = true;                 // false: a device of another bus, without setup entry
  std::string extraKeys;           // further key lines, each ending in CRLF
};

// What one run of ostrel.exe -s left: its exit code and the log lines it wrote after its banner.
struct SilentRun {
  int exitCode;
  std::vector<std::string> log;  // UTF-8, without the CRLF that ends each
};

class OstrelWithWincam {
 public:
  // The program folder gets ostrel.exe, Tandrel.dll, a pid.ini naming zel.bin for product
  // 0x2040 and an empty bin/; the camera folder gets wincam.dll.
  explicit OstrelWithWincam(WindowsMode mode = WindowsMode::kWindows10);
  // Leaves the prefix without any camera.
  ~OstrelWithWincam();
  OstrelWithWincam(const OstrelWithWincam&) = delete;
  OstrelWithWincam& operator=(const OstrelWithWincam&) = delete;

  // Writes the world ([Camera1], [Camera2], ... in this order; a zel camera's flash file is
  // cameraN.flash, the test's to write first), with further sections (present devices that
  // are no camera: [Device1], ...), and registers the camera folder.
  void UseWorld(const std::vector<WincamCamera>& cameras, const std::string& moreSections = "") const;
  // Registers the camera folder again, so that the imaging entries carry the releases the
  // cameras report now (a real camera re-enumerates after its update).
  void Register() const;
  // Runs ostrel.exe -s and adds the run to the table under caseName and the mode.
  SilentRun RunSilent(const std::string& caseName) const;

  // The firmware image bin/zel.bin.
  void UseImage(const std::string& bytes) const;
  // The flash file of the world's camera number n, before and after runs.
  void UseFlash(int n, const std::string& bytes) const;
  std::string Flash(int n) const;

  const WindowsMode mode;
  ProgramFolder program;
  ScratchDir camera;
};

// Prints every recorded run to standard output: case and mode, exit code, log lines of the run.
void PrintRunTable();

}  // namespace ostrel::testing
