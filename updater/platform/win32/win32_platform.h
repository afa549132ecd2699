// The updater's services on Windows: the named mutex, the debugger output, the profile API,
// DirectShow and SetupAPI device lists, LoadLibraryExW restricted to the program's folder and
// the system folder, and the dialog from the program's resources.
#pragma once

#include "platform/platform.h"

namespace ostrel::win32 {

class Win32Platform : public Platform {
 public:
  bool AcquireSingleInstance() override;
  std::u16string ProgramFilePath() override;
  char16_t PathSeparator() const override { return u'\\'; }
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
  std::optional<std::vector<ImagingDevice>> ImagingDevices() override;
  std::shared_ptr<void> OpenDeviceHandle(const std::string& devicePath) override;
  std::unique_ptr<LoadedLibrary> LoadProgramLibrary(const std::u16string& fileName) override;
  void RunDialog(DialogHandler& handler) override;
  [[noreturn]] void EndProcessNow(int exitCode) override;
};

// The two device lists (directshow_devices.cpp, setupapi_devices.cpp).
std::vector<std::string> ListVideoInputDevicePaths();
// The capture filter of the video-input device whose DevicePath (as listed) is devicePath;
// nullptr when none is present or it cannot be bound.
std::shared_ptr<void> BindVideoInputDevice(const std::string& devicePath);
std::optional<std::vector<ImagingDevice>> ListImagingDevices();

// The modal dialog from template 102 (win32_dialog.cpp).
void RunResourceDialog(DialogHandler& handler);

}  // namespace ostrel::win32
