// The guest side of USB/IP on one machine: a device served on a loopback TCP connection is
// imported as the user-space tools import it (OP_REQ_IMPORT) and attached to a port of the
// kernel's vhci-hcd ("port sockfd devid speed" into its attach file), and detached by port.
#pragma once

#include <cstdint>
#include <string>

#include "usbip/usbip_wire.h"

namespace sim::usbip {

class VhciHost {
 public:
  // Listens on 127.0.0.1:tcpPort; Ready() is false (and Error() says why) when it cannot.
  explicit VhciHost(uint16_t tcpPort);
  ~VhciHost();
  VhciHost(const VhciHost&) = delete;
  VhciHost& operator=(const VhciHost&) = delete;

  bool Ready() const { return listener_ >= 0; }
  const std::string& Error() const { return error_; }

  // Imports and attaches the device on a high-speed port (0-based); returns the server's end
  // of the connection, on which vhci-hcd sends the device's URBs, or -1 (Error() says why).
  int Attach(uint32_t port, const ExportedDevice& device);
  bool Detach(uint32_t port);
  // The port has no device, attached or still being torn down.
  bool PortFree(uint32_t port);

  // The USB device's sysfs folder on that port, e.g. /sys/bus/usb/devices/3-1.
  std::string DeviceFolder(uint32_t port);
  // The capture node uvcvideo registered for the device on that port; empty until then.
  std::string CaptureNode(uint32_t port);

 private:
  std::string HighSpeedBus();

  int listener_ = -1;
  uint16_t tcpPort_;
  std::string error_;
  std::string bus_;
};

}  // namespace sim::usbip
