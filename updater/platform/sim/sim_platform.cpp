#include "platform/sim/sim_platform.h"

#include <cstdlib>

#include "platform/host_platform.h"
#include "platform/sim/setup_entries.h"
#include "platform/sim/trace_dialog.h"

#ifndef _WIN32
#include <unistd.h>

#include "platform/linux/terminal_dialog.h"
#endif

namespace ostrel {
namespace {

// The wait after binding each video device, before its properties are read.
constexpr uint32_t kDeviceSettleMs = 300;
constexpr uint32_t kDefaultClosePeriodMs = 500;

// A camera's path as the video device list gives it.
std::string ListedPath(const sim::CameraConfig& camera) { return camera.devicePath.substr(0, 256); }

}  // namespace

SimPlatform::SimPlatform(std::unique_ptr<Platform> host, const sim::WorldFile& world)
    : host_(std::move(host)), world_(world), startMs_(host_->MonotonicMs()) {}

void SimPlatform::SleepMs(uint32_t milliseconds) {
  host_->SleepMs(static_cast<uint32_t>(milliseconds * world_.TimeScale()));
}

uint64_t SimPlatform::MonotonicMs() {
  return static_cast<uint64_t>(static_cast<double>(host_->MonotonicMs() - startMs_) /
                               world_.TimeScale());
}

std::vector<std::string> SimPlatform::VideoDevicePaths() {
  std::vector<std::string> paths;
  for (const auto& camera : world_.Cameras()) {
    SleepMs(kDeviceSettleMs);
    paths.push_back(ListedPath(camera));
  }
  return paths;
}

// The imaging class's entries, then the camera class's, as Windows lists them; an entry
// without hardware ids is left out, as the Windows platform leaves it out.
std::optional<std::vector<SetupDevice>> SimPlatform::SetupDevices() {
  const std::vector<sim_platform::SetupEntry> entries = sim_platform::SetupEntries(world_);
  std::vector<SetupDevice> list;
  for (const auto setupClass : {sim_platform::SetupClass::kImage, sim_platform::SetupClass::kCamera}) {
    for (const sim_platform::SetupEntry& entry : entries) {
      if (entry.setupClass != setupClass || entry.hardwareIds.empty()) continue;
      list.push_back({entry.instanceId, entry.hardwareIds.front()});
    }
  }
  return list;
}

std::shared_ptr<void> SimPlatform::OpenDeviceHandle(const std::string& devicePath,
                                                    std::u16string& /*refusal*/) {
  for (const auto& camera : world_.Cameras()) {
    // The whole path: the library finds its camera by the text the world gives it.
    if (ListedPath(camera) == devicePath) return TextDeviceHandle(camera.devicePath);
  }
  return nullptr;
}

void SimPlatform::EndProcessNow(int exitCode) {
  host_->EndProcessNow(exitCode);
  std::abort();  // not reached: the host ends the process
}

bool SimPlatform::RunDialog(DialogHandler& handler) {
  const std::u16string trace = world_.GetString(u"World", u"DialogTrace");
  if (!trace.empty()) {
    const int64_t period = world_.GetNumber(u"World", u"ClosePeriod").value_or(kDefaultClosePeriodMs);
    sim_platform::TraceDialog dialog(world_.ResolvePath(trace),
                                     period > 0 ? static_cast<uint32_t>(period) : kDefaultClosePeriodMs,
                                     *this);
    dialog.Run(handler);
    return true;
  }
#ifdef _WIN32
  return host_->RunDialog(handler);
#else
  // Drawn here rather than by the host, so that its timers follow the scaled clock.
  linux_platform::TerminalDialog dialog(stdout, STDIN_FILENO, *this);
  dialog.Run(handler);
  return true;
#endif
}

std::unique_ptr<Platform> CreatePlatform() {
  return std::make_unique<SimPlatform>(CreateHostPlatform(), sim::WorldFile::Current());
}

}  // namespace ostrel
