// Selector 2 of extension unit 0: single and batch register commands.
#pragma once

#include "camera/control_port.h"
#include "camera/zel_registers.h"

namespace sim {

class RegisterPort : public ControlPort {
 public:
  explicit RegisterPort(ZelRegisters& registers) : registers_(registers) {}
  uint32_t Set(const ControlBytes& request) override;
  uint32_t Get(ControlBytes& reply) override;

 private:
  uint32_t Batch(const ControlBytes& request, bool isWrite);

  ZelRegisters& registers_;
  ControlBytes answer_{};
};

}  // namespace sim
