// The updater's services on Linux: a lock file beside the program, standard error as the
// diagnostic channel, INI files with the profile functions' rules, sysfs device lists,
// dlopen from the program's folder (or the installed lib/), and the dialog in a window on a
// desktop, in the terminal elsewhere.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace ostrel::linux_platform {

class LinuxPlatform : public Platform {
 public:
  // sysfsRoot is where the device lists are read ("/sys" outside tests).
  explicit LinuxPlatform(std::string sysfsRoot = "/sys");
  ~LinuxPlatform() override;

  bool AcquireSingleInstance() override;
  std::u16string ProgramFilePath() override;
  char16_t PathSeparator() const override { return u'/'; }
  void DebugOutput(const std::u16string& line) override;
  void StartThread(std::function<void()> work) override;
  void SleepMs(uint32_t milliseconds) override;
  uint64_t MonotonicMs() override;
  std::tm LocalTime() override;
  uint32_t GetProfileSectionNames(const std::u16string& path, char16_t* buffer,
                                  uint32_t size) override;
  uint32_t ReadProfileString(const std::u16string& path, const std::u16string& section,
                            const std::u16string& key, const std::u16string& defaultValue,
                            char16_t* buffer, uint32_t size) override;
  bool WriteProfileValue(const std::u16string& path, const std::u16string& section,
                          const std::u16string& key, const std::u16string& value) override;
  std::unique_ptr<ReadableFile> OpenFileForReading(const std::u16string& path) override;
  bool WriteWholeFile(const std::u16string& path, const std::string& bytes) override;
  std::vector<std::string> VideoDevicePaths() override;
  std::optional<std::vector<SetupDevice>> SetupDevices() override;
  std::shared_ptr<void> OpenDeviceHandle(const std::string& devicePath,
                                         std::u16string& refusal) override;
  std::unique_ptr<LoadedLibrary> LoadProgramLibrary(const std::u16string& fileName) override;
  bool RunDialog(DialogHandler& handler) override;
  [[noreturn]] void EndProcessNow(int exitCode) override;

 private:
  std::string ProgramFolder();

  std::string sysfsRoot_;
  int lockFd_ = -1;
};

// The file a Windows library name stands for on Linux: Tandrel.dll -> libtandrel.so.
std::string SharedObjectName(const std::u16string& windowsFileName);

// Where a library of the program is looked for, in order: the program's folder, and for
// Tandrel also ../lib/libtandrel.so.<soversion> of an installed layout. programFile is the
// program's real path.
std::vector<std::string> ProgramLibraryPaths(const std::string& programFile,
                                             const std::u16string& fileName);

// The first of ProgramLibraryPaths that loads, or null.
std::unique_ptr<LoadedLibrary> LoadLibraryOfProgram(const std::string& programFile,
                                                    const std::u16string& fileName);

}  // namespace ostrel::linux_platform
