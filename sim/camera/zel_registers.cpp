#include "camera/zel_registers.h"

namespace sim {
namespace {

// Variant A: PLL control word (bit 24 = running) and reset control (8 then 4 restarts).
constexpr uint32_t kPllA = 0x02100008;
constexpr uint32_t kResetA = 0x02100014;
constexpr uint32_t kResetArm = 8;
constexpr uint32_t kResetFire = 4;
// Other variant: one word for PLL (bit 17 = running) and reset (bit 23 then bit 22).
constexpr uint32_t kPllOther = 0x20001008;
constexpr uint32_t kResetArmBit = 0x00800000;
constexpr uint32_t kResetFireBit = 0x00400000;
// Flash interface pins of variant A; bit 14 of this one is cleared to route the flash.
constexpr uint32_t kFlashPins = 0x02000018;

}  // namespace

ZelRegisters::ZelRegisters(uint32_t chipId) : chipId_(chipId) { PowerOn(); }

void ZelRegisters::PowerOn() {
  values_.clear();
  values_[kPllA] = 0x00012620;
  values_[kPllOther] = 0x00000300;
  values_[kFlashPins] = 0x00004000;
}

uint32_t ZelRegisters::Read(uint32_t address) const {
  if (address == kChipIdRegister) return chipId_;
  const auto found = values_.find(address);
  return found == values_.end() ? 0 : found->second;
}

void ZelRegisters::Write(uint32_t address, uint32_t value) {
  if (address == kChipIdRegister) return;
  const uint32_t previous = Read(address);
  values_[address] = value;
  const bool variantA = chipId_ == kVariantA;
  if (variantA && address == kResetA && value == kResetFire && previous == kResetArm) {
    resetRequested_ = true;
  }
  if (!variantA && address == kPllOther && (value & kResetFireBit) != 0 &&
      (previous & kResetArmBit) != 0) {
    resetRequested_ = true;
  }
}

bool ZelRegisters::TakeResetRequest() {
  const bool requested = resetRequested_;
  resetRequested_ = false;
  return requested;
}

}  // namespace sim
