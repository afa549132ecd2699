// Selector 1 of extension unit 0: the encoder settings record. Reads return the record (byte 0
// its version); a write names in byte 0 the fields it carries.
#pragma once

#include "camera/control_port.h"

namespace sim {

class EncoderPort : public ControlPort {
 public:
  explicit EncoderPort(const ControlBytes& record) : record_(record) {}
  uint32_t Set(const ControlBytes& request) override;
  uint32_t Get(ControlBytes& reply) override;

  uint8_t Version() const { return record_[0]; }

  // A version-3 record: 4 Mbit/s, GOP 30, High profile, level 4.1, quality 26 and 36.
  static ControlBytes DefaultRecord();

 private:
  ControlBytes record_;
};

}  // namespace sim
