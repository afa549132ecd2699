// The updater's platform in the simulated world: the host platform's services, except that
// the device lists come from the world file and every sleep, timer and clock reading is
// scaled by the world's TimeScale.
#pragma once

#include <memory>

#include "platform/platform.h"
#include "world/world_file.h"

namespace ostrel {

class SimPlatform : public Platform {
 public:
  SimPlatform(std::unique_ptr<Platform> host, const sim::WorldFile& world);

  bool AcquireSingleInstance() override { return host_->AcquireSingleInstance(); }
  std::u16string ProgramFilePath() override { return host_->ProgramFilePath(); }
  char16_t PathSeparator() const override { return host_->PathSeparator(); }
  void DebugOutput(const std::u16string& line) override { host_->DebugOutput(line); }
  void StartThread(std::function<void()> work) override { host_->StartThread(std::move(work)); }
  void SleepMs(uint32_t milliseconds) override;
  uint64_t MonotonicMs() override;
  std::tm LocalTime() override { return host_->LocalTime(); }
  uint32_t GetProfileSectionNames(const std::u16string& path, char16_t* buffer,
                                  uint32_t size) override {
    return host_->GetProfileSectionNames(path, buffer, size);
  }
  uint32_t ReadProfileString(const std::u16string& path, const std::u16string& section,
                            const std::u16string& key, const std::u16string& defaultValue,
                            char16_t* buffer, uint32_t size) override {
    return host_->ReadProfileString(path, section, key, defaultValue, buffer, size);
  }
  bool WriteProfileValue(const std::u16string& path, const std::u16string& section,
                          const std::u16string& key, const std::u16string& value) override {
    return host_->WriteProfileValue(path, section, key, value);
  }
  std::unique_ptr<ReadableFile> OpenFileForReading(const std::u16string& path) override {
    return host_->OpenFileForReading(path);
  }
  bool WriteWholeFile(const std::u16string& path, const std::string& bytes) override {
    return host_->WriteWholeFile(path, bytes);
  }
  std::vector<std::string> VideoDevicePaths() override;
  std::optional<std::vector<SetupDevice>> SetupDevices() override;
  std::shared_ptr<void> OpenDeviceHandle(const std::string& devicePath,
                                         std::u16string& refusal) override;
  std::unique_ptr<LoadedLibrary> LoadProgramLibrary(const std::u16string& fileName) override {
    return host_->LoadProgramLibrary(fileName);
  }
  bool RunDialog(DialogHandler& handler) override;
  [[noreturn]] void EndProcessNow(int exitCode) override;

 private:
  std::unique_ptr<Platform> host_;
  const sim::WorldFile& world_;
  uint64_t startMs_;
};

}  // namespace ostrel
