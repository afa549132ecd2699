#include "platform/sim/zel_release.h"

#include "zel/device_descriptor.h"

namespace ostrel::sim_platform {

std::optional<uint16_t> ReleaseFromFlash(std::string_view flash) {
  // A flash file shorter than the flash reads as erased (0xFF) past its end, as the camera's.
  uint8_t descriptor[zel::kDeviceDescriptorBytes];
  for (size_t i = 0; i < zel::kDeviceDescriptorBytes; ++i) {
    const size_t at = zel::kDeviceDescriptorAddress + i;
    descriptor[i] = at < flash.size() ? static_cast<uint8_t>(flash[at]) : 0xFF;
  }
  return zel::DeviceDescriptorRelease(descriptor);
}

std::u16string WithRelease(std::u16string hardwareId, uint16_t release) {
  const size_t field = hardwareId.find(u"REV_");
  if (field == std::u16string::npos || hardwareId.size() < field + 8) return hardwareId;
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  for (int i = 0; i < 4; ++i) hardwareId[field + 4 + i] = kDigits[(release >> (12 - 4 * i)) & 0xF];
  return hardwareId;
}

}  // namespace ostrel::sim_platform
