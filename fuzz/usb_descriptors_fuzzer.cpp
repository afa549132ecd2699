// The Linux transport's reading of a camera's raw USB descriptors (the sysfs "descriptors"
// file) for its extension units: the input's bytes as they are, and the input laid out as a
// well-formed descriptor list, which must give the same unit with a configuration holding a
// VideoControl interface and an extension unit appended.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

#include "fuzz_input.h"
#include "transport/v4l2/usb_descriptors.h"
#include "uvc_descriptor_bytes.h"

namespace {

using fuzz::Check;
using tandrel::Guid;

// Descriptors of the lengths the input names (at least 2), each filled from the input.
std::string WellFormedList(fuzz::FuzzInput& input) {
  std::string list;
  while (input.Remaining() > 0) {
    const uint8_t length = std::max<uint8_t>(input.Byte(), 2);
    std::string descriptor = input.Bytes(length - 1u);
    descriptor.resize(length - 1u, '\0');
    list += static_cast<char>(length) + descriptor;
  }
  return list;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Byte 0 is the appended unit's id; the rest are the descriptors.
  const size_t idBytes = std::min<size_t>(size, 1);
  const uint8_t appendedId = idBytes > 0 ? data[0] : 0;
  const std::string raw(reinterpret_cast<const char*>(data + idBytes), size - idBytes);
  fuzz::FuzzInput input(data + idBytes, size - idBytes);
  const std::string list = WellFormedList(input);
  for (const Guid& unit : tandrel::kExtensionUnitSets) {
    const std::string guid(reinterpret_cast<const char*>(&unit), sizeof unit);
    const std::optional<uint8_t> actives[] = {std::nullopt, appendedId};
    for (const std::optional<uint8_t> active : actives) {
      if (tandrel::FindExtensionUnitId(raw, unit, active)) {
        Check(raw.find(guid) != std::string::npos, "a found unit's GUID is in the bytes");
      }
    }
    // The first unit of the active configuration wins; without one, the appended unit is found.
    const std::optional<uint8_t> inList = tandrel::FindExtensionUnitId(list, unit, 1);
    const std::string appendedConfiguration = tandrel::Configuration(
        1, tandrel::kVideoControlInterface + tandrel::ExtensionUnit(appendedId, unit));
    const std::optional<uint8_t> appended =
        tandrel::FindExtensionUnitId(list + appendedConfiguration, unit, 1);
    Check(appended == inList.value_or(appendedId), "a unit after a well-formed list is found");
  }
  return 0;
}
