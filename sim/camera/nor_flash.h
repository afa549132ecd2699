// A 128 KiB NOR flash as the ZEL cameras carry it: erasing sets bytes to 0xFF (whole chip or
// 4 KiB sectors), programming can only clear bits. Loaded from the camera's Flash file and
// written back when it changed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sim {

class NorFlash {
 public:
  static constexpr uint32_t kSize = 0x20000;
  static constexpr uint32_t kSectorSize = 0x1000;

  struct StuckByte {
    uint32_t address;
    uint8_t value;
  };

  // A missing file is an erased flash; a short one is erased past its end.
  NorFlash(std::u16string path, std::optional<StuckByte> stuck);

  uint8_t Read(uint32_t address) const;  // 0xFF past the end
  void Program(uint32_t address, uint8_t value);
  void EraseAll();
  void EraseSector(uint32_t address);
  // Writes the content back to its file when it changed since loading or the last write-back.
  void WriteBack();

 private:
  std::u16string path_;
  std::optional<StuckByte> stuck_;
  std::vector<uint8_t> bytes_;
  bool changed_ = false;
};

}  // namespace sim
