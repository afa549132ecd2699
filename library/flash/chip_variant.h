// The chip-id register tells the two register maps of the ZEL chips apart.
#pragma once

#include "tandrel.h"

namespace tandrel {

constexpr int kChipIdRegister = 0x06000000;
constexpr int kChipVariantA = 0x0A020801;

// True for variant A; a chip id that cannot be read counts as the other variant.
inline bool IsChipVariantA() {
  int chipId = 0;
  return ZelMmioRead(kChipIdRegister, &chipId) == ZEL_OK && chipId == kChipVariantA;
}

}  // namespace tandrel
