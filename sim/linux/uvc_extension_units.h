// The extension units uvcvideo finds in a camera's configuration descriptors (the sysfs
// "descriptors" file): those of the VideoControl interface, with the controls each declares.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sim::linux_node {

struct ExtensionUnitDescriptor {
  uint8_t unitId = 0;
  uint8_t guid[16] = {};           // guidExtensionCode, as the descriptor stores it
  std::vector<uint8_t> bmControls; // bit n set: selector n + 1 exists

  bool HasSelector(uint8_t selector) const;
};

// Malformed descriptors end the walk; the units found before stay.
std::vector<ExtensionUnitDescriptor> VideoControlExtensionUnits(const std::string& descriptors);

}  // namespace sim::linux_node
