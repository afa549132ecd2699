#include "linux/uvc_extension_units.h"

#include <cstring>

namespace sim::linux_node {
namespace {

constexpr uint8_t kInterfaceDescriptor = 0x04;
constexpr uint8_t kClassSpecificInterface = 0x24;
constexpr uint8_t kVideoClass = 0x0E;
constexpr uint8_t kVideoControlSubclass = 0x01;
constexpr uint8_t kExtensionUnitSubtype = 0x06;
// bLength, bDescriptorType, bDescriptorSubtype, bUnitID, guid, bNumControls, bNrInPins.
constexpr size_t kExtensionUnitFixedBytes = 22;

}  // namespace

bool ExtensionUnitDescriptor::HasSelector(uint8_t selector) const {
  if (selector == 0) return false;
  const size_t bit = selector - 1u;
  return bit / 8 < bmControls.size() && (bmControls[bit / 8] >> (bit % 8) & 1) != 0;
}

std::vector<ExtensionUnitDescriptor> VideoControlExtensionUnits(const std::string& descriptors) {
  std::vector<ExtensionUnitDescriptor> units;
  const auto* bytes = reinterpret_cast<const uint8_t*>(descriptors.data());
  const size_t size = descriptors.size();
  bool inVideoControl = false;
  for (size_t at = 0; at + 2 <= size;) {
    const uint8_t* d = bytes + at;
    const size_t length = d[0];
    if (length < 2 || at + length > size) break;
    if (d[1] == kInterfaceDescriptor && length >= 9) {
      inVideoControl = d[5] == kVideoClass && d[6] == kVideoControlSubclass;
    } else if (inVideoControl && d[1] == kClassSpecificInterface && length >= kExtensionUnitFixedBytes &&
               d[2] == kExtensionUnitSubtype) {
      const size_t inPins = d[21];
      const size_t controlSizeAt = kExtensionUnitFixedBytes + inPins;
      if (controlSizeAt >= length || controlSizeAt + 1 + d[controlSizeAt] > length) break;
      ExtensionUnitDescriptor unit;
      unit.unitId = d[3];
      std::memcpy(unit.guid, d + 4, sizeof unit.guid);
      unit.bmControls.assign(d + controlSizeAt + 1, d + controlSizeAt + 1 + d[controlSizeAt]);
      units.push_back(std::move(unit));
    }
    at += length;
  }
  return units;
}

}  // namespace sim::linux_node
