// Which register map the camera's chip has, read from its chip-id register.
#pragma once

#include "tandrel.h"
#include "zel/chip.h"

namespace tandrel {

// True for variant A; a chip id that cannot be read counts as the other variant.
inline bool IsChipVariantA() {
  int chipId = 0;
  return ZelMmioRead(zel::kChipIdRegister, &chipId) == ZEL_OK && chipId == zel::kChipVariantA;
}

}  // namespace tandrel
