// A 128 KiB NOR flash as the ZEL cameras carry it: erasing sets bytes to 0xFF (whole chip or
// 4 KiB sectors), programming can only clear bits. Non-volatile: the camera persists it at the
// end of every request.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "world/flash_memory.h"

namespace sim {

class NorFlash : public FlashMemory {
 public:
  static constexpr uint32_t kSize = 0x20000;
  static constexpr uint32_t kSectorSize = 0x1000;

  NorFlash(std::u16string path, std::optional<StuckByte> stuck)
      : FlashMemory(std::move(path), kSize, stuck) {}

  void EraseAll() { Erase(0, kSize); }
  // The sector that holds address.
  void EraseSector(uint32_t address) {
    if (address < kSize) Erase(address - address % kSectorSize, kSectorSize);
  }
};

}  // namespace sim
