// The first hardware id a simulated camera reports, as its device list shows it.
#pragma once

#include <string>

#include "world/world_file.h"

namespace ostrel::sim_platform {

// The camera's HardwareId with the release it reports now: a zel camera's is the one its
// flash holds, a sonix or sunplus camera's the version of the image burnt last.
std::u16string ReportedHardwareId(const sim::CameraConfig& camera);

}  // namespace ostrel::sim_platform
