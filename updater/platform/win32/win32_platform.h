// The updater's services on Windows: the named mutex, the debugger output, the profile API,
// DirectShow and SetupAPI device lists, LoadLibraryExW restricted to the program's folder and
// the system folder, and the dialog from the program's resources.
#pragma once

#include <windows.h>

#include <string>

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
  std::optional<std::vector<SetupDevice>> SetupDevices() override;
  std::shared_ptr<void> OpenDeviceHandle(const std::string& devicePath,
                                         std::u16string& refusal) override;
  std::unique_ptr<LoadedLibrary> LoadProgramLibrary(const std::u16string& fileName) override;
  bool RunDialog(DialogHandler& handler) override;
  [[noreturn]] void EndProcessNow(int exitCode) override;
};

// The two device lists (directshow_devices.cpp, setupapi_devices.cpp).
std::vector<std::string> ListVideoInputDevicePaths();
// The capture filter of the video-input device whose DevicePath (as listed) is devicePath;
// nullptr when none is present or it cannot be bound.
std::shared_ptr<void> BindVideoInputDevice(const std::string& devicePath, std::u16string& refusal);
std::optional<std::vector<SetupDevice>> ListSetupDevices();

// Loads the library at fullPath, its own imports looked up only beside it and in the system
// folder. A system without those search flags (Windows 7 before KB2533623) refuses them with
// ERROR_INVALID_PARAMETER; the same full path is then loaded plainly. The loaders are
// LoadLibraryExW and LoadLibraryW, or a test's stand-ins.
using LoadLibraryExFunction = HMODULE(WINAPI*)(LPCWSTR, HANDLE, DWORD);
using LoadLibraryFunction = HMODULE(WINAPI*)(LPCWSTR);
HMODULE LoadLibraryAtPath(const std::wstring& fullPath, LoadLibraryExFunction loadEx = LoadLibraryExW,
                          LoadLibraryFunction load = LoadLibraryW);

// The modal dialog from template 102 (win32_dialog.cpp).
bool RunResourceDialog(DialogHandler& handler);

}  // namespace ostrel::win32
