// Raw USB descriptors of a UVC camera, as its sysfs "descriptors" file holds them.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

#include "transport/platform_transport.h"

namespace tandrel {

// A video-control interface descriptor (class 0x0E, subclass 0x01).
inline const std::string kVideoControlInterface =
    std::string("\x09\x04\x00\x00\x01\x0e\x01\x00\x00", 9);

// An audio-control interface descriptor (class 0x01, subclass 0x01), whose class-specific
// units use subtype 0x06 as well.
inline const std::string kAudioControlInterface =
    std::string("\x09\x04\x01\x00\x00\x01\x01\x00\x00", 9);

// The 18-byte device descriptor that starts a sysfs "descriptors" file.
inline const std::string kDeviceDescriptor =
    std::string("\x12\x01\x00\x02\xef\x02\x01\x40\x08\x04\x40\x20\x05\x01\x01\x02\x00\x01", 18);

// A configuration descriptor with this bConfigurationValue, followed by its interfaces.
inline std::string Configuration(uint8_t value, const std::string& interfaces) {
  std::string descriptor("\x09\x02\x00\x00\x02\x00\x00\x80\xfa", 9);
  const size_t total = descriptor.size() + interfaces.size();
  descriptor[2] = static_cast<char>(total & 0xFF);
  descriptor[3] = static_cast<char>(total >> 8);
  descriptor[5] = static_cast<char>(value);
  return descriptor + interfaces;
}

// A class-specific extension unit descriptor naming its unit id and GUID.
inline std::string ExtensionUnit(uint8_t unitId, const Guid& guid) {
  std::string descriptor(24, '\0');
  descriptor[0] = 24;
  descriptor[1] = 0x24;
  descriptor[2] = 0x06;
  descriptor[3] = static_cast<char>(unitId);
  std::memcpy(&descriptor[4], &guid, sizeof guid);
  return descriptor;
}

}  // namespace tandrel
