#include "platform/sim/reported_hardware_id.h"

#include "fs/file_io.h"
#include "platform/sim/vendor_release.h"
#include "platform/sim/zel_release.h"

namespace ostrel::sim_platform {

std::u16string ReportedHardwareId(const sim::CameraConfig& camera) {
  if (const std::optional<uint16_t> burnt = BurntImageRelease(camera)) {
    return WithRelease(camera.hardwareId, *burnt);
  }
  if (camera.model != "zel" || camera.flashPath.empty()) return camera.hardwareId;
  const std::optional<std::string> flash = fs::ReadWholeFile(camera.flashPath);
  const std::optional<uint16_t> release = flash ? ReleaseFromFlash(*flash) : std::nullopt;
  return release ? WithRelease(camera.hardwareId, *release) : camera.hardwareId;
}

}  // namespace ostrel::sim_platform
