#include "sonix/st50220.h"

#include <algorithm>

SIM_EXPORT int St50220_Open() {
  const std::vector<sim::CameraConfig>& cameras = sim::WorldFile::Current().Cameras();
  return std::any_of(cameras.begin(), cameras.end(),
                     [](const sim::CameraConfig& camera) { return camera.model == "sonix"; })
             ? 1
             : 0;
}
