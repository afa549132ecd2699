// The firmware version stored inside an image, by the chip vendor's rule.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ostrel {

// A version that could not be read; compared like any other value.
constexpr uint16_t kUnreadableVersion = 0x9999;

// The version of the image (size bytes at image) for the chip vendor. Every rule reads only
// inside the image: a byte it needs beyond the end makes the version unreadable, as do a
// missing buffer, multi-image mode (vendors 1 and 3) and an unknown vendor. Vendor 4 gives
// 0xFFFF for characters that are not hexadecimal.
uint16_t ReadImageVersion(int32_t vendor, const uint8_t* image, size_t size, bool multiImage);

}  // namespace ostrel
