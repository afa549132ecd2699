// One control of a simulated extension unit as the camera firmware serves it: 64-byte writes
// that it checks and acts on, and 64-byte reads of its current answer.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace sim {

using ControlBytes = std::array<uint8_t, 64>;

class ControlPort {
 public:
  virtual ~ControlPort() = default;
  // A status word: kStatusOk, or kStatusInvalidParameter for a command the firmware refuses.
  virtual uint32_t Set(const ControlBytes& request) = 0;
  virtual uint32_t Get(ControlBytes& reply) = 0;
};

uint32_t LoadLe(const uint8_t* bytes, size_t width);
void StoreLe(uint8_t* bytes, uint32_t value, size_t width);

}  // namespace sim
