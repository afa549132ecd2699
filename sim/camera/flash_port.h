// Selector 3 of extension unit 0: the serial-flash and boot commands. The firmware keeps one
// write pointer and one read pointer that its data packets advance; a page program stays
// inside its 256-byte page, as a NOR flash does.
#pragma once

#include <cstdint>

#include "camera/control_port.h"
#include "camera/nor_flash.h"

namespace sim {

class FlashPort : public ControlPort {
 public:
  // eraseBusyPolls: status queries still reporting busy after a polled erase; -1 = forever.
  FlashPort(NorFlash& flash, int64_t eraseBusyPolls)
      : flash_(flash), eraseBusyPolls_(eraseBusyPolls) {}
  uint32_t Set(const ControlBytes& request) override;
  uint32_t Get(ControlBytes& reply) override;

  uint8_t BootMode() const { return bootMode_; }
  // Whether a switch to USB boot was asked since the last call: the chip restarts then.
  bool TakeBootSwitch();

 private:
  uint32_t EraseCommand(const ControlBytes& request);
  uint32_t ProgramData(const ControlBytes& request, uint32_t count);

  NorFlash& flash_;
  int64_t eraseBusyPolls_;
  int64_t busyPollsLeft_ = 0;
  uint32_t writeAddress_ = 0;
  uint32_t readAddress_ = 0;
  bool streaming_ = false;  // reads return flash data rather than the last answer
  ControlBytes answer_{};
  uint8_t bootMode_ = 0;
  bool bootSwitched_ = false;
};

}  // namespace sim
