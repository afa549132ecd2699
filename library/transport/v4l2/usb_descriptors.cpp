#include "transport/v4l2/usb_descriptors.h"

#include <cstring>

namespace tandrel {
namespace {

constexpr uint8_t kConfigurationDescriptor = 0x02;
constexpr uint8_t kInterfaceDescriptor = 0x04;
constexpr uint8_t kClassSpecificInterface = 0x24;
constexpr uint8_t kVideoClass = 0x0E;
constexpr uint8_t kVideoControlSubclass = 0x01;
constexpr uint8_t kExtensionUnit = 0x06;
// bLength, bDescriptorType, bDescriptorSubtype, bUnitID, guidExtensionCode.
constexpr size_t kGuidOffset = 4;
constexpr size_t kMinimumLength = kGuidOffset + 16;

}  // namespace

std::optional<uint8_t> FindExtensionUnitId(const std::string& descriptors, const Guid& unit,
                                           std::optional<uint8_t> activeConfiguration) {
  // Before any configuration descriptor the bytes belong to no configuration; an audio or
  // other interface's class-specific descriptors may share the extension unit's subtype.
  bool inActiveConfiguration = false;
  bool configurationSeen = false;
  bool inVideoControl = false;
  size_t at = 0;
  while (at + 2 <= descriptors.size()) {
    const size_t length = static_cast<uint8_t>(descriptors[at]);
    if (length < 2 || at + length > descriptors.size()) break;
    const uint8_t* const d = reinterpret_cast<const uint8_t*>(descriptors.data() + at);
    if (d[1] == kConfigurationDescriptor && length >= 6) {
      inActiveConfiguration = activeConfiguration ? d[5] == *activeConfiguration : !configurationSeen;
      configurationSeen = true;
      inVideoControl = false;
    } else if (d[1] == kInterfaceDescriptor && length >= 7) {
      inVideoControl = d[5] == kVideoClass && d[6] == kVideoControlSubclass;
    } else if (inActiveConfiguration && inVideoControl && length >= kMinimumLength &&
               d[1] == kClassSpecificInterface && d[2] == kExtensionUnit &&
               std::memcmp(d + kGuidOffset, &unit, sizeof unit) == 0) {
      return d[3];
    }
    at += length;
  }
  return std::nullopt;
}

}  // namespace tandrel
