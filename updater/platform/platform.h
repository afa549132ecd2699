// The updater's platform boundary: every service the updater core and its engines need from
// the system. One implementation per platform (Windows, Linux, the simulated world); the
// core refuses and decides, a platform only translates calls.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ostrel {

// One present device of the imaging or camera setup class: its instance id (for example
// USB\VID_0408&PID_2040&MI_00\6&2E3F1C7E&0&0000) and the first entry of its hardware-id list
// (empty when the list could not be read).
struct SetupDevice {
  std::u16string instanceId;
  std::u16string firstHardwareId;
};

// A file opened for reading, exclusively.
class ReadableFile {
 public:
  virtual ~ReadableFile() = default;
  // Nothing when the size cannot be determined.
  virtual std::optional<uint64_t> Size() = 0;
  // Reads up to length bytes; returns the count read.
  virtual uint32_t Read(uint8_t* buffer, uint32_t length) = 0;
};

// A library loaded by file name; stays loaded until the object is destroyed.
class LoadedLibrary {
 public:
  virtual ~LoadedLibrary() = default;
  // nullptr when the library has no such export.
  virtual void* Symbol(const char* name) = 0;
};

// What the windowed run's window shows. Every operation may be called from any thread.
class DialogView {
 public:
  virtual ~DialogView() = default;
  virtual void SetControlText(int controlId, const std::u16string& text) = 0;
  virtual void SetProgressPosition(int position) = 0;
  virtual void ShowStateBitmap(int bitmapId) = 0;
  virtual void EnableControl(int controlId, bool enabled) = 0;
  virtual void StartTimer(int timerId, uint32_t periodMs) = 0;
  virtual void KillTimer(int timerId) = 0;
};

// The core's side of the dialog: the platform calls these from its window thread.
class DialogHandler {
 public:
  virtual ~DialogHandler() = default;
  // The window exists (its view is ready) and is about to be shown.
  virtual void OnInitDialog(DialogView& view) = 0;
  virtual void OnTimer(int timerId) = 0;
  // Close was pressed (or the cancel key): true when the window may close.
  virtual bool OnCloseRequest() = 0;
  // The window was uncovered or redrawn: the state picture may need painting again.
  virtual void OnRepaint() = 0;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // --- process ---
  // Takes the program-wide single-instance lock; false when another instance holds it.
  virtual bool AcquireSingleInstance() = 0;
  // Full path of the program file.
  virtual std::u16string ProgramFilePath() = 0;
  // The separator the platform's paths use between folders.
  virtual char16_t PathSeparator() const = 0;
  // One line to the diagnostic channel (the debugger output on Windows).
  virtual void DebugOutput(const std::u16string& line) = 0;
  // Runs work on a new thread that is never joined: it may outlive the run's end.
  virtual void StartThread(std::function<void()> work) = 0;

  // --- time ---
  virtual void SleepMs(uint32_t milliseconds) = 0;
  // Monotonic milliseconds since an arbitrary start.
  virtual uint64_t MonotonicMs() = 0;
  virtual std::tm LocalTime() = 0;

  // --- profile files (the private-profile functions' rules) ---
  virtual uint32_t GetProfileSectionNames(const std::u16string& path, char16_t* buffer,
                                          uint32_t size) = 0;
  virtual uint32_t ReadProfileString(const std::u16string& path, const std::u16string& section,
                                    const std::u16string& key, const std::u16string& defaultValue,
                                    char16_t* buffer, uint32_t size) = 0;
  virtual bool WriteProfileValue(const std::u16string& path, const std::u16string& section,
                                  const std::u16string& key, const std::u16string& value) = 0;

  // --- files ---
  // nullptr when the file does not exist, is not a regular file (a FIFO, a device, a folder)
  // or cannot be opened exclusively. Never waits for a writer.
  virtual std::unique_ptr<ReadableFile> OpenFileForReading(const std::u16string& path) = 0;
  // Creates or empties the file and writes the bytes; false on failure.
  virtual bool WriteWholeFile(const std::u16string& path, const std::string& bytes) = 0;

  // --- devices ---
  // Device paths of the video-input devices in enumeration order, in the system code page,
  // each cut to 256 bytes. Binding each device costs the platform's settle wait.
  virtual std::vector<std::string> VideoDevicePaths() = 0;
  // Present devices of the imaging setup class, then those of the camera setup class (where
  // Windows 10 and later file webcams), each class in the system's order; nothing when the
  // list is unavailable.
  // A device whose hardware-id list reports no size may be left out: identification would
  // pass over it anyway.
  virtual std::optional<std::vector<SetupDevice>> SetupDevices() = 0;
  // What Tandrel's ZelSetDeviceHandle takes for the video device whose path (as
  // VideoDevicePaths gives it) is devicePath: on Windows its capture filter, on Linux the text
  // of its V4L2 node path, in the simulated world the text of the camera's DevicePath. It stays
  // valid while a copy of the pointer lives (the filter stays referenced); nullptr when no such
  // device is present or it cannot be bound. A device the system refused to open sets refusal
  // to a line for the update log that says why.
  virtual std::shared_ptr<void> OpenDeviceHandle(const std::string& devicePath,
                                                 std::u16string& refusal) = 0;

  // --- libraries ---
  // Loads a library from the program's own folder only, by its Windows file name
  // (for example Tandrel.dll); nullptr when it is missing or cannot be loaded.
  virtual std::unique_ptr<LoadedLibrary> LoadProgramLibrary(const std::u16string& fileName) = 0;

  // --- dialog ---
  // Shows the dialog modally; returns when the handler has let it close. False when no window
  // could be made at all (no desktop), before any call of the handler.
  virtual bool RunDialog(DialogHandler& handler) = 0;

  // Ends the process at once with the code, without destroying anything: for a run that
  // ends while an engine thread still uses the update record.
  [[noreturn]] virtual void EndProcessNow(int exitCode) = 0;
};

// A device handle that is NUL-terminated text (a node path, a device path).
inline std::shared_ptr<void> TextDeviceHandle(const std::string& text) {
  const auto owned = std::make_shared<std::string>(text);
  return std::shared_ptr<void>(owned, owned->data());
}

// The platform this program was built for.
std::unique_ptr<Platform> CreatePlatform();

}  // namespace ostrel
