// The USB device descriptor a ZEL camera keeps in its flash (and so a ZEL image at the same
// place): a valid one carries the release (bcdDevice) the camera reports, which a firmware
// update changes. One rule for the camera model, the updater and the library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace zel {

constexpr uint32_t kDeviceDescriptorAddress = 0x4020;
constexpr size_t kDeviceDescriptorBytes = 18;

// bcdDevice (bytes 12-13, little-endian) of the descriptor when it is valid: bLength 18 and
// bDescriptorType 1.
// descriptor holds kDeviceDescriptorBytes bytes.
inline std::optional<uint16_t> DeviceDescriptorRelease(const uint8_t* descriptor) {
  if (descriptor[0] != kDeviceDescriptorBytes || descriptor[1] != 1) return std::nullopt;
  return static_cast<uint16_t>(descriptor[12] | descriptor[13] << 8);
}

// The same for flash content or an image of size bytes; nothing when it ends before the
// descriptor does.
inline std::optional<uint16_t> StoredDeviceDescriptorRelease(const uint8_t* image, size_t size) {
  if (image == nullptr || size < kDeviceDescriptorAddress + kDeviceDescriptorBytes) return std::nullopt;
  return DeviceDescriptorRelease(image + kDeviceDescriptorAddress);
}

}  // namespace zel
