#include "fake_platform.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "fs/file_io.h"
#include "ini/profile_file.h"
#include "text/utf16.h"

namespace ostrel::testing {
namespace {

class MemoryFile : public ReadableFile {
 public:
  explicit MemoryFile(std::string bytes) : bytes_(std::move(bytes)) {}
  std::optional<uint64_t> Size() override { return bytes_.size(); }
  uint32_t Read(uint8_t* buffer, uint32_t length) override {
    const size_t count = std::min<size_t>(length, bytes_.size() - offset_);
    std::copy_n(bytes_.data() + offset_, count, buffer);
    offset_ += count;
    return static_cast<uint32_t>(count);
  }

 private:
  std::string bytes_;
  size_t offset_ = 0;
};

class FakeLibrary : public LoadedLibrary {
 public:
  explicit FakeLibrary(std::map<std::string, void*> symbols) : symbols_(std::move(symbols)) {}
  void* Symbol(const char* name) override {
    const auto it = symbols_.find(name);
    return it == symbols_.end() ? nullptr : it->second;
  }

 private:
  std::map<std::string, void*> symbols_;
};

}  // namespace

void RecordingView::Add(std::string line) {
  std::lock_guard<std::mutex> lock(mutex_);
  lines_.push_back(std::move(line));
}

void RecordingView::SetControlText(int controlId, const std::u16string& text) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    texts_[controlId] = text;
  }
  Add("TEXT " + std::to_string(controlId) + " " + text::Utf16ToUtf8(text));
}

void RecordingView::SetProgressPosition(int position) { Add("POS " + std::to_string(position)); }

void RecordingView::ShowStateBitmap(int bitmapId) { Add("BITMAP " + std::to_string(bitmapId)); }

void RecordingView::EnableControl(int controlId, bool enabled) {
  Add("ENABLE " + std::to_string(controlId) + (enabled ? " 1" : " 0"));
}

void RecordingView::StartTimer(int timerId, uint32_t periodMs) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    timers_[timerId] = periodMs;
  }
  Add("TIMER " + std::to_string(timerId) + " " + std::to_string(periodMs));
}

void RecordingView::KillTimer(int timerId) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    timers_.erase(timerId);
  }
  Add("KILLTIMER " + std::to_string(timerId)); }

std::map<int, uint32_t> RecordingView::ActiveTimers() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return timers_;
}

std::vector<std::string> RecordingView::Lines() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return lines_;
}

std::u16string RecordingView::Text(int controlId) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto it = texts_.find(controlId);
  return it == texts_.end() ? std::u16string() : it->second;
}

FakePlatform::FakePlatform(const ScratchDir& programDir)
    : programPath(programDir.File(u"ostrel")) {
  localTime.tm_hour = 14;
  localTime.tm_min = 3;
  localTime.tm_sec = 59;
  localTime.tm_mon = 11;
  localTime.tm_mday = 6;
}

FakePlatform::~FakePlatform() { JoinThreads(); }

char16_t FakePlatform::PathSeparator() const {
  return static_cast<char16_t>(std::filesystem::path::preferred_separator);
}

void FakePlatform::DebugOutput(const std::u16string& line) {
  std::lock_guard<std::mutex> lock(mutex_);
  debugLines_.push_back(line);
}

std::vector<std::u16string> FakePlatform::DebugLines() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return debugLines_;
}

void FakePlatform::StartThread(std::function<void()> work) {
  std::lock_guard<std::mutex> lock(mutex_);
  threads_.emplace_back(std::move(work));
}

void FakePlatform::JoinThreads() {
  std::vector<std::thread> threads;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    threads.swap(threads_);
  }
  for (auto& thread : threads) thread.join();
}

void FakePlatform::SleepMs(uint32_t milliseconds) {
  nowMs += milliseconds;
  if (onSleep) onSleep();
  // A thousandth of the fake time passes for real: a loop that waits for another thread (the
  // supervision's burn time limit) must let that thread run, also on a loaded machine, where a
  // mere yield let the limit pass before the engine had started.
  std::this_thread::sleep_for(std::chrono::microseconds(milliseconds));
}

uint32_t FakePlatform::GetProfileSectionNames(const std::u16string& path, char16_t* buffer,
                                              uint32_t size) {
  return profile::GetSectionNames(path, buffer, size);
}

uint32_t FakePlatform::ReadProfileString(const std::u16string& path, const std::u16string& section,
                                        const std::u16string& key,
                                        const std::u16string& defaultValue, char16_t* buffer,
                                        uint32_t size) {
  return profile::GetString(path, section, key, defaultValue, buffer, size);
}

bool FakePlatform::WriteProfileValue(const std::u16string& path, const std::u16string& section,
                                      const std::u16string& key, const std::u16string& value) {
  return profile::WriteString(path, section, key, value);
}

std::unique_ptr<ReadableFile> FakePlatform::OpenFileForReading(const std::u16string& path) {
  auto bytes = fs::ReadWholeFile(path);
  if (!bytes) return nullptr;
  return std::make_unique<MemoryFile>(std::move(*bytes));
}

bool FakePlatform::WriteWholeFile(const std::u16string& path, const std::string& bytes) {
  return fs::WriteWholeFile(path, bytes);
}

std::shared_ptr<void> FakePlatform::OpenDeviceHandle(const std::string& devicePath,
                                                     std::u16string& refusal) {
  if (!deviceRefusal.empty()) {
    refusal = deviceRefusal;
    return nullptr;
  }
  const bool listed =
      std::find(videoDevicePaths.begin(), videoDevicePaths.end(), devicePath) != videoDevicePaths.end();
  return listed ? TextDeviceHandle(devicePath) : nullptr;
}

std::unique_ptr<LoadedLibrary> FakePlatform::LoadProgramLibrary(const std::u16string& fileName) {
  const auto it = libraries.find(fileName);
  if (it == libraries.end()) return nullptr;
  return std::make_unique<FakeLibrary>(it->second);
}

bool FakePlatform::RunDialog(DialogHandler& handler) {
  if (!windowCanBeMade) return false;
  handler.OnInitDialog(view);
  for (;;) {
    SleepMs(closePeriodMs);
    for (const auto& [id, period] : view.ActiveTimers()) handler.OnTimer(id);
    handler.OnRepaint();
    ++closePresses;
    if (handler.OnCloseRequest()) return true;
  }
}

void FakePlatform::EndProcessNow(int exitCode) {
  std::fprintf(stderr, "EndProcessNow(%d) reached in a test\n", exitCode);
  std::abort();
}

}  // namespace ostrel::testing
