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
