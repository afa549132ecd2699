#include "camera/live_world.h"

#include <chrono>
#include <mutex>
#include <thread>

namespace sim {
namespace {

std::mutex& ActiveMutex() {
  static std::mutex* const mutex = new std::mutex;
  return *mutex;
}

std::shared_ptr<LiveWorld>& ActiveSlot() {
  static std::shared_ptr<LiveWorld> slot;
  return slot;
}

}  // namespace

std::shared_ptr<LiveWorld> LiveWorld::Active() {
  std::lock_guard<std::mutex> hold(ActiveMutex());
  std::shared_ptr<LiveWorld>& slot = ActiveSlot();
  if (!slot) slot = std::make_shared<LiveWorld>(WorldFile::Current());
  return slot;
}

void LiveWorld::Activate(const std::u16string& iniPath) {
  auto world = std::make_shared<LiveWorld>(WorldFile(iniPath));
  std::lock_guard<std::mutex> hold(ActiveMutex());
  ActiveSlot() = std::move(world);
}

LiveWorld::LiveWorld(const WorldFile& file)
    : file_(file), trace_(file.ResolvePath(file.GetString(u"World", u"Trace"))) {
  for (const CameraConfig& camera : file_.Cameras()) {
    cameras_.push_back(camera.model == "zel" ? std::make_unique<ZelCamera>(file_, camera, trace_)
                                             : nullptr);
  }
}

LiveWorld::~LiveWorld() = default;

int64_t LiveWorld::WallClockSeconds() const {
  const double realSeconds = std::chrono::duration<double>(
                                 std::chrono::steady_clock::now().time_since_epoch())
                                 .count();
  return static_cast<int64_t>(realSeconds / file_.TimeScale());
}

void LiveWorld::Sleep(uint32_t milliseconds) const {
  const double scaled = milliseconds * file_.TimeScale();
  std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(scaled));
}

}  // namespace sim
