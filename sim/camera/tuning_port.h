// Selector 4 of extension unit 0: image tuning. Each command code keeps the bytes it carried;
// the flip request 0xE1 answers the flip bits last set with 0xE0.
#pragma once

#include <map>

#include "camera/control_port.h"

namespace sim {

class TuningPort : public ControlPort {
 public:
  uint32_t Set(const ControlBytes& request) override;
  uint32_t Get(ControlBytes& reply) override;
  // The payload last written with that code; null when none was.
  const ControlBytes* LastSetting(uint8_t code) const;

 private:
  std::map<uint8_t, ControlBytes> settings_;
  uint8_t flipBits_ = 0;
  ControlBytes answer_{};
};

}  // namespace sim
