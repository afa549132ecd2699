// The UVC extension units of a USB device, from its raw configuration descriptors (the
// sysfs "descriptors" file).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "transport/platform_transport.h"

namespace tandrel {

// The bUnitID of the video-control extension unit whose guidExtensionCode is unit; nothing
// when the descriptors carry no such unit. Malformed descriptors end the search.
std::optional<uint8_t> FindExtensionUnitId(const std::string& descriptors, const Guid& unit);

}  // namespace tandrel
