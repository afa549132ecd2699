// The UVC extension units of a USB device, from its raw descriptors (the sysfs "descriptors"
// file: the device descriptor, then every configuration with its interfaces).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "transport/platform_transport.h"

namespace tandrel {

// The bUnitID of the extension unit whose guidExtensionCode is unit, searched only among the
// class-specific descriptors of a VideoControl interface of the active configuration (by its
// bConfigurationValue; nothing given: the first configuration). Nothing when there is no such
// unit; malformed descriptors end the search.
std::optional<uint8_t> FindExtensionUnitId(const std::string& descriptors, const Guid& unit,
                                           std::optional<uint8_t> activeConfiguration);

}  // namespace tandrel
