// The string-descriptor area of a ZEL flash image: slot n at 0x2020 + n x slot size, slot 0
// holding the 4-byte language descriptor, so the first non-zero byte after it starts slot 1.
#pragma once

#include <cstdint>

namespace tandrel {

constexpr int kStringArea = 0x2020;
constexpr int kStringAreaProbeBytes = 80;
constexpr uint8_t kStringDescriptorType = 3;  // byte 1 of every string descriptor

// The slot size read from the first 80 bytes of the area; 0 when no slot follows slot 0.
inline int StringSlotSize(const uint8_t* area) {
  for (int offset = 4; offset < kStringAreaProbeBytes; ++offset) {
    if (area[offset] != 0) return offset;
  }
  return 0;
}

}  // namespace tandrel
