// Whether a read of a ZEL camera's manufacturer name (ZelGetiManufacturer) answered. The name is
// carried into the image an update writes after the flash is erased, so a read that failed
// leaves the camera's name unknown: an update must then stop before anything is erased, or the
// name would be lost with the flash that held it.
#pragma once

namespace zel {

// ZelGetiManufacturer's results that come from the camera's answer: 0 (the name, or none when
// the count is 0) and ZEL_E_NOT_SUPPORTED (a string area without slots, so no name). Every
// other result is a failed request.
constexpr int kNameReadOk = 0;
constexpr int kNameReadNoSlots = -6;

constexpr bool ManufacturerNameAnswered(int result) {
  return result == kNameReadOk || result == kNameReadNoSlots;
}

}  // namespace zel
