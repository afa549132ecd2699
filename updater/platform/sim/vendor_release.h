// The release a simulated sonix or sunplus camera reports: its hardware id's until an image
// was burnt successfully, from then on that image's version by its vendor's image rule.
#pragma once

#include <cstdint>
#include <optional>

#include "world/world_file.h"

namespace ostrel::sim_platform {

// The version of the image burnt last into the camera's flash; nothing when none was burnt.
std::optional<uint16_t> BurntImageRelease(const sim::CameraConfig& camera);

}  // namespace ostrel::sim_platform
