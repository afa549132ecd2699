// The library's platform boundary: the few services every platform supplies so that the core
// (XuAccess, the call frame, retries, result mapping) stays platform-free. One implementation
// per platform: kernel streaming on Windows (ks/), V4L2 on Linux (v4l2/), the simulated world
// (sim/). A platform only translates calls; it checks and decides nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tandrel.h"

namespace tandrel {

// A GUID in the Windows memory layout.
struct Guid {
  uint32_t data1;
  uint16_t data2;
  uint16_t data3;
  uint8_t data4[8];
};
static_assert(sizeof(Guid) == 16, "GUID layout");

// Property sets of the vendor extension units 0 and 1.
constexpr Guid kExtensionUnitSets[2] = {
    {0x5D9E1728, 0xAB8D, 0x4FA9, {0x9A, 0xCB, 0xF6, 0xD5, 0x6D, 0xBC, 0x05, 0xA6}},
    {0x0FB885C3, 0x68C2, 0x4547, {0x90, 0xF7, 0x8F, 0x47, 0x57, 0x9D, 0x95, 0xFC}},
};

// Flags of a request on a topology node: KSPROPERTY_TYPE_GET / _SET / _SETSUPPORT with
// _TOPOLOGY.
constexpr uint32_t kPropertyGetOnNode = 0x10000001;
constexpr uint32_t kPropertySetOnNode = 0x10000002;
constexpr uint32_t kPropertySupportOnNode = 0x10000100;

// The 32-byte node-property record every control request carries.
struct NodeProperty {
  Guid set;           // property set of the extension unit
  uint32_t id;        // control selector
  uint32_t flags;     // kPropertyGetOnNode, kPropertySetOnNode or kPropertySupportOnNode
  uint32_t nodeId;    // the unit's topology node
  uint32_t reserved;  // 0
};
static_assert(sizeof(NodeProperty) == 32, "node-property record layout");

// The camera's auto-update notification while it is enabled; destroying it disables it. It
// holds what it needs itself, so it may outlive the control that enabled it.
class AutoUpdateEvent {
 public:
  virtual ~AutoUpdateEvent() = default;
  // Blocks until the camera raises the notification (true) or Cancel() was called (false).
  virtual bool Wait() = 0;
  // Makes the Wait in progress, and every later one, return false. Any thread may call it.
  virtual void Cancel() = 0;
};

// The control interface of one opened camera.
class DeviceControl {
 public:
  virtual ~DeviceControl() = default;
  // The device-specific topology nodes (the camera's extension units, of whatever vendor) in
  // the platform's order: 0 with the list, else a status.
  virtual uint32_t DeviceSpecificNodes(std::vector<uint32_t>& nodes) = 0;
  // One property request; returns its status word (0 success). A request without data and
  // with length 0 is the size probe, which reports the control's length in bytesReturned. A
  // support query (kPropertySupportOnNode, no data) succeeds only on the node that owns the
  // property set.
  virtual uint32_t Property(const NodeProperty& property, uint8_t* data, uint32_t length,
                            uint32_t& bytesReturned) = 0;
  // Enables the auto-update notification (KSEVENT_VIDCAP_AUTO_UPDATE); null with a non-zero
  // status when the camera or the platform cannot.
  virtual std::unique_ptr<AutoUpdateEvent> EnableAutoUpdate(uint32_t& status) = 0;
};

// A camera the library keeps a reference to (a capture filter, a device path, ...). Handle()
// is the value ZelSetDeviceHandle accepts for it; it stays valid while this object lives.
class BoundCamera {
 public:
  virtual ~BoundCamera() = default;
  virtual ZelDeviceHandle Handle() const = 0;
};

// The camera an XuAccess opens: a handle, plus the library's own reference when the library
// holds the camera itself (null for a handle the host owns). A platform may bind a camera it
// holds anew when the camera left the bus and came back (a chip reset does that).
struct CameraRef {
  ZelDeviceHandle handle = nullptr;
  std::shared_ptr<BoundCamera> reference;
};

// A camera named by text (a node path, a simulated device path), held as the library's own
// copy, so the caller may reuse or free the text it passed.
class TextCamera : public BoundCamera {
 public:
  explicit TextCamera(std::string text) : text_(std::move(text)) {}
  ZelDeviceHandle Handle() const override { return const_cast<char*>(text_.c_str()); }

 private:
  std::string text_;
};

// A snapshot of the video-input devices, in the platform's enumeration order.
class VideoInputList {
 public:
  virtual ~VideoInputList() = default;
  virtual size_t Count() const = 0;
  // The device's whole display name as narrow text; it holds the device path with its
  // vid_xxxx&pid_xxxx part.
  virtual std::string DisplayName(size_t index) const = 0;
  // Binds the device; null with a non-zero status when it cannot be bound.
  virtual std::shared_ptr<BoundCamera> Bind(size_t index, uint32_t& status) = 0;
};

class Transport {
 public:
  virtual ~Transport() = default;
  // Null when the platform cannot enumerate video-input devices at all.
  virtual std::unique_ptr<VideoInputList> ListVideoInputs() = 0;
  // What the library keeps of a handle a caller binds: a copy where the handle is text, null
  // where the caller keeps the handle's object alive itself (a filter on Windows).
  virtual std::shared_ptr<BoundCamera> HoldHandle(ZelDeviceHandle /*camera*/) { return nullptr; }
  // Sets the calling thread up for listing and binding cameras (COM on Windows): true when
  // one ReleaseCallingThread on this thread is owed for it.
  virtual bool PrepareCallingThread() { return false; }
  // Undoes one PrepareCallingThread that returned true; called on the same thread.
  virtual void ReleaseCallingThread() {}
  // Opens the control interface of a camera; null with a non-zero status on failure.
  virtual std::unique_ptr<DeviceControl> OpenControl(const CameraRef& camera, uint32_t& status) = 0;
  // The pause between retries.
  virtual void Sleep(uint32_t milliseconds) = 0;
  // Whole seconds of the clock the chip-erase time limit reads.
  virtual int64_t WallClockSeconds() = 0;
};

// The transport of the platform this library was built for.
Transport& PlatformTransport();

}  // namespace tandrel
