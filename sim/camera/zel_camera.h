// A simulated ZEL camera: its two vendor extension units as the platform's kernel-streaming
// control sees them. It checks every request (property set, node, flags, length, command)
// as the driver and the firmware would and answers as the firmware would; its state is the
// flash, the registers and the settings behind each control. Every request is traced.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "camera/control_port.h"
#include "camera/flash_port.h"
#include "camera/nor_flash.h"
#include "camera/request_faults.h"
#include "camera/topology.h"
#include "camera/trace_log.h"
#include "camera/tuning_port.h"
#include "camera/zel_registers.h"
#include "world/world_file.h"

namespace sim {

class ZelCamera {
 public:
  static constexpr uint32_t kGetOnNode = 0x10000001;
  static constexpr uint32_t kSetOnNode = 0x10000002;

  ZelCamera(const WorldFile& world, const CameraConfig& config, TraceLog& trace);
  ~ZelCamera();

  bool HasExtensionUnit() const { return hasExtensionUnit_; }
  // The nodes its driver reports (the world's Topology key).
  const sim::Topology& Topology() const { return topology_; }
  // The topology node of the extension unit with this property set; nothing for another set.
  // Transports that address a unit by its descriptor rather than by node ask here.
  std::optional<uint32_t> NodeOf(const uint8_t (&propertySet)[16]) const;

  // One property request on a topology node. propertySet is the GUID in memory layout. A
  // request without data and with length 0 is the size probe. Returns the status word.
  uint32_t Request(const uint8_t (&propertySet)[16], uint32_t selector, uint32_t flags,
                   uint32_t nodeId, uint8_t* data, uint32_t length, uint32_t& bytesReturned);

  // The control's length: 64 bytes unless the world's ControlLength<U>.<S> says otherwise. A
  // request with less is refused with ERROR_INSUFFICIENT_BUFFER, as the kernel-streaming
  // layer refuses a short buffer.
  uint32_t ControlLength(int unit, uint32_t selector) const;

  // bcdDevice of the USB device descriptor kept in flash at 0x4020, when it is valid; read
  // at power-on and after every chip reset.
  std::optional<uint16_t> Release() const;
  // How often the camera powered on: 1 after construction, one more for every chip reset. A
  // camera on a bus leaves it and re-enumerates at each.
  uint64_t PowerOns() const;
  // How often the camera came onto the bus: once at first, and again after every chip reset
  // and every switch to USB boot, at which a camera leaves the bus and comes back; and when
  // it left last.
  uint64_t Enumerations() const;
  std::chrono::steady_clock::time_point LastDeparture() const;

  // The auto-update notification: the host enables it with the function the camera calls
  // each time it raises it, and disables it with an empty one. Traced as EVT requests. Once
  // enabled, the camera raises it AutoUpdateEvents times, one every AutoUpdateEventPeriod ms.
  uint32_t SetAutoUpdateListener(std::function<void()> listener);
  // Raises the notification now (tests drive it so); nothing happens while it is disabled.
  void RaiseAutoUpdate();

  // The request that fails once raises an access violation where a host can see one.
  bool FailedRequestRaises() const { return faults_.failRequestRaises; }

  // Observations for tests of the model.
  uint8_t BootMode() const;
  const ControlBytes* TuningSetting(uint8_t code) const;

 private:
  struct Controls;

  void PowerOn();
  void StopRaiser();
  uint32_t Serve(const uint8_t (&propertySet)[16], int unit, uint32_t selector, uint32_t flags,
                 uint32_t nodeId, uint8_t* data, uint32_t length, uint32_t& bytesReturned);
  ControlPort* Port(int unit, uint32_t selector);
  void Depart();
  bool IsFailingRequest() const;
  uint32_t FailingRequestStatus() const;

  const WorldFile world_;
  const CameraConfig config_;
  TraceLog& trace_;
  const RequestFaults faults_;
  const bool hasExtensionUnit_;
  const sim::Topology topology_;
  const std::map<RequestFaults::Control, int64_t> controlLengths_;
  // RequestDelayUs: the time the camera takes per request, before TimeScale; 0 = none.
  const std::chrono::duration<double, std::micro> requestDelay_;

  mutable std::mutex mutex_;
  uint64_t requests_ = 0;
  int64_t busyProbesLeft_;
  NorFlash flash_;
  ZelRegisters registers_;
  std::unique_ptr<Controls> controls_;
  std::optional<uint16_t> release_;
  uint64_t powerOns_ = 0;
  uint64_t departures_ = 0;
  std::chrono::steady_clock::time_point lastDeparture_;

  std::function<void()> autoUpdateListener_;
  std::thread raiser_;
  std::condition_variable raiserWake_;
  bool raiserStop_ = false;
};

}  // namespace sim
