// A control holding plain bytes: read-only records (system information, unit-1 device
// information) refuse writes; value controls (unit-1 LED, AE gain and time) read back what
// was written.
#pragma once

#include "camera/control_port.h"

namespace sim {

class RecordPort : public ControlPort {
 public:
  RecordPort(const ControlBytes& initial, bool writable) : bytes_(initial), writable_(writable) {}
  uint32_t Set(const ControlBytes& request) override;
  uint32_t Get(ControlBytes& reply) override;

 private:
  ControlBytes bytes_;
  bool writable_;
};

}  // namespace sim
