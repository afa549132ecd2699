// The simulated world while the process runs: the cameras of the world file with their device
// models, the trace and the time scale. All simulated components of one process share it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "camera/trace_log.h"
#include "camera/zel_camera.h"
#include "world/world_file.h"

namespace sim {

class LiveWorld {
 public:
  // The world in use: by default the one of WorldFile::Current(), loaded on first use.
  static std::shared_ptr<LiveWorld> Active();
  // Puts the world of iniPath in use (tests point the process at a world of their own). The
  // previous world stays alive while a user still holds it.
  static void Activate(const std::u16string& iniPath);

  explicit LiveWorld(const WorldFile& file);
  ~LiveWorld();

  const WorldFile& File() const { return file_; }
  size_t CameraCount() const { return cameras_.size(); }
  const CameraConfig& Camera(size_t index) const { return file_.Cameras()[index]; }
  // The device model of a zel camera; null for other models.
  ZelCamera* Zel(size_t index) const { return cameras_[index].get(); }

  // Sleeps the given time scaled by the world's TimeScale.
  void Sleep(uint32_t milliseconds) const;
  // Whole seconds of the world's clock, which runs 1/TimeScale times as fast as real time.
  int64_t WallClockSeconds() const;

 private:
  const WorldFile file_;
  TraceLog trace_;
  std::vector<std::unique_ptr<ZelCamera>> cameras_;
};

}  // namespace sim
