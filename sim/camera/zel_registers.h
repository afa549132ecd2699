// The register file of a ZEL chip: the read-only chip id, the flash interface pins, and the
// PLL and reset control words of both chip variants. A reset sequence asks the camera to
// restart (TakeResetRequest); a restart brings every register back to its power-on value.
#pragma once

#include <cstdint>
#include <map>

namespace sim {

class ZelRegisters {
 public:
  static constexpr uint32_t kChipIdRegister = 0x06000000;
  static constexpr uint32_t kVariantA = 0x0A020801;

  explicit ZelRegisters(uint32_t chipId);

  uint32_t Read(uint32_t address) const;
  void Write(uint32_t address, uint32_t value);
  // True once after the chip was told to restart.
  bool TakeResetRequest();
  void PowerOn();

 private:
  uint32_t chipId_;
  std::map<uint32_t, uint32_t> values_;
  bool resetRequested_ = false;
};

}  // namespace sim
