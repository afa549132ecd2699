#include "camera/tuning_port.h"

#include "camera/status_words.h"

namespace sim {
namespace {

constexpr uint8_t kFlipSet = 0xE0;
constexpr uint8_t kFlipRequest = 0xE1;
constexpr uint8_t kSpecialEffect = 0x80;

// Calibration (0x60-0x7F), special effect, and the compensation codes 0xC1-0xC7, whose low
// three bits name the ranges they fill.
bool IsSettingCode(uint8_t code) {
  return (code >= 0x60 && code <= 0x7F) || code == kSpecialEffect || (code >= 0xC1 && code <= 0xC7);
}

}  // namespace

uint32_t TuningPort::Set(const ControlBytes& request) {
  const uint8_t code = request[0];
  if (code == kFlipSet) {
    flipBits_ = request[1] & 3;
    return kStatusOk;
  }
  if (code == kFlipRequest) {
    answer_.fill(0);
    answer_[0] = kFlipRequest;
    answer_[1] = flipBits_;
    return kStatusOk;
  }
  if (!IsSettingCode(code)) return kStatusInvalidParameter;
  settings_[code] = request;
  return kStatusOk;
}

uint32_t TuningPort::Get(ControlBytes& reply) {
  reply = answer_;
  return kStatusOk;
}

}  // namespace sim

namespace sim {

const ControlBytes* TuningPort::LastSetting(uint8_t code) const {
  const auto found = settings_.find(code);
  return found == settings_.end() ? nullptr : &found->second;
}

}  // namespace sim
