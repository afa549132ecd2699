// A platform for updater tests: a scratch program folder, fake time (sleeping advances the
// clock at once), recorded diagnostic lines, settable device lists and a recording dialog.
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "scratch_dir.h"

namespace ostrel::testing {

// Records every dialog operation as one line, in the dialog trace's notation.
class RecordingView : public DialogView {
 public:
  void SetControlText(int controlId, const std::u16string& text) override;
  void SetProgressPosition(int position) override;
  void ShowStateBitmap(int bitmapId) override;
  void EnableControl(int controlId, bool enabled) override;
  void StartTimer(int timerId, uint32_t periodMs) override;
  void KillTimer(int timerId) override;

  std::vector<std::string> Lines() const;
  // The last text set on a control, empty when none was.
  std::u16string Text(int controlId) const;
  // Timers started and not killed: id -> period.
  std::map<int, uint32_t> ActiveTimers() const;

 private:
  void Add(std::string line);
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
  std::map<int, std::u16string> texts_;
  std::map<int, uint32_t> timers_;
};

class FakePlatform : public Platform {
 public:
  explicit FakePlatform(const ScratchDir& programDir);
  ~FakePlatform() override;

  bool AcquireSingleInstance() override { return !otherInstanceRunning; }
  std::u16string ProgramFilePath() override { return programPath; }
  char16_t PathSeparator() const override;
  void DebugOutput(const std::u16string& line) override;
  void StartThread(std::function<void()> work) override;
  void SleepMs(uint32_t milliseconds) override;
  uint64_t MonotonicMs() override { return nowMs.load(); }
  std::tm LocalTime() override { return localTime; }
  uint32_t GetProfileSectionNames(const std::u16string& path, char16_t* buffer,
                                  uint32_t size) override;
  uint32_t ReadProfileString(const std::u16string& path, const std::u16string& section,
                            const std::u16string& key, const std::u16string& defaultValue,
                            char16_t* buffer, uint32_t size) override;
  bool WriteProfileValue(const std::u16string& path, const std::u16string& section,
                          const std::u16string& key, const std::u16string& value) override;
  std::unique_ptr<ReadableFile> OpenFileForReading(const std::u16string& path) override;
  bool WriteWholeFile(const std::u16string& path, const std::string& bytes) override;
  std::vector<std::string> VideoDevicePaths() override { return videoDevicePaths; }
  std::optional<std::vector<SetupDevice>> SetupDevices() override { return setupDevices; }
  // A listed video device's handle is its path text; with deviceRefusal set, every device is
  // refused with it.
  std::shared_ptr<void> OpenDeviceHandle(const std::string& devicePath,
                                         std::u16string& refusal) override;
  std::unique_ptr<LoadedLibrary> LoadProgramLibrary(const std::u16string& fileName) override;
  // Calls OnInitDialog with the recording view, then, every closePeriodMs of fake time,
  // fires the active timers, repaints and presses Close, until the handler lets it close;
  // without windowCanBeMade it returns false at once.
  bool RunDialog(DialogHandler& handler) override;
  [[noreturn]] void EndProcessNow(int exitCode) override;

  // Waits for every thread started through StartThread.
  void JoinThreads();

  // --- settings of the fake ---
  std::u16string programPath;
  bool otherInstanceRunning = false;
  std::tm localTime{};
  std::vector<std::string> videoDevicePaths;
  std::u16string deviceRefusal;
  std::optional<std::vector<SetupDevice>> setupDevices = std::vector<SetupDevice>{};
  // Libraries by Windows file name: symbol name -> address.
  std::map<std::u16string, std::map<std::string, void*>> libraries;
  uint32_t closePeriodMs = 500;
  bool windowCanBeMade = true;
  // Called at every SleepMs (after the clock moved), e.g. to play an engine in step.
  std::function<void()> onSleep;

  // --- what the fake saw ---
  std::atomic<uint64_t> nowMs{0};
  RecordingView view;
  std::vector<std::u16string> DebugLines() const;
  int closePresses = 0;

 private:
  mutable std::mutex mutex_;
  std::vector<std::u16string> debugLines_;
  std::vector<std::thread> threads_;
};

}  // namespace ostrel::testing
