#include "platform/sim/vendor_release.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "fs/file_io.h"
#include "image_version.h"
#include "vendor/vendor_camera.h"

namespace ostrel::sim_platform {

std::optional<uint16_t> BurntImageRelease(const sim::CameraConfig& camera) {
  const int32_t vendor = camera.model == "sunplus" ? 1 : camera.model == "sonix" ? 3 : 0;
  if (vendor == 0 || camera.flashPath.empty()) return std::nullopt;
  const std::optional<std::string> marker = fs::ReadWholeFile(sim::BurntMarkerPath(camera.flashPath));
  const std::optional<std::string> flash = fs::ReadWholeFile(camera.flashPath);
  if (!marker || !flash) return std::nullopt;
  const size_t length = std::min<size_t>(std::strtoul(marker->c_str(), nullptr, 10), flash->size());
  return ReadImageVersion(vendor, reinterpret_cast<const uint8_t*>(flash->data()), length, false);
}

}  // namespace ostrel::sim_platform
