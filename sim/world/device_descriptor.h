// The USB device descriptor a ZEL camera keeps in its flash: a valid one carries the release
// (bcdDevice) the camera reports, which a firmware update changes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace sim {

constexpr uint32_t kDeviceDescriptorAddress = 0x4020;
constexpr size_t kDeviceDescriptorBytes = 18;

// bcdDevice (bytes 12-13, little-endian) of the descriptor when it is valid: bLength 18 and
// bDescriptorType 1.
inline std::optional<uint16_t> DeviceDescriptorRelease(const uint8_t (&descriptor)[kDeviceDescriptorBytes]) {
  if (descriptor[0] != kDeviceDescriptorBytes || descriptor[1] != 1) return std::nullopt;
  return static_cast<uint16_t>(descriptor[12] | descriptor[13] << 8);
}

}  // namespace sim
