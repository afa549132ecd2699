// XuAccess: the per-call access to the vendor extension units of one camera. Every command
// export opens one on the current device (or on the first supported camera when none is
// bound), exchanges its payloads and closes it on every way out; the destructor closes too.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "transport/platform_transport.h"

namespace tandrel {

class XuAccess {
 public:
  static constexpr uint32_t kPayloadLength = 64;

  XuAccess();
  ~XuAccess();
  XuAccess(const XuAccess&) = delete;
  XuAccess& operator=(const XuAccess&) = delete;

  // Opens the given camera, or finds the first supported one when its handle is null. True
  // when the control interface and the extension-unit nodes were obtained; m_hrLast holds the
  // failing status otherwise.
  bool Open(const CameraRef& camera);
  void Close();

  // Finds the first supported video-input device and binds it: 0 found, else a status
  // (1 when the enumeration ran out). The calling thread stays prepared for the camera until
  // Close releases it.
  uint32_t FindCamera();
  // Gives up the camera FindCamera bound, for the caller to keep, and with it the thread's
  // preparation; null when none was found.
  std::shared_ptr<BoundCamera> TakeFoundCamera();

  // Probe, retry while busy, then the request itself; true when the last status is 0.
  bool SetControl(uint32_t selector, uint32_t length, const uint8_t* data);
  bool GetControl(uint32_t selector, uint32_t length, uint8_t* data);
  // The control's length from a size probe; retries also on ERROR_GEN_FAILURE.
  bool QueryControlLength(uint32_t selector, uint32_t& length);

  // Enables the camera's auto-update notification; null, with m_hrLast set, on failure.
  std::unique_ptr<AutoUpdateEvent> EnableAutoUpdateEvent();

  void LoadData(const uint8_t* source);
  void StoreData(uint8_t* destination) const;
  bool GetCurrent();

  uint32_t m_nUnit = 0;
  // The topology nodes of extension units 0 and 1.
  uint32_t m_nNodeId = 0;
  uint32_t m_nUnit1NodeId = 1;
  uint32_t m_nSelector = 1;
  uint32_t m_nLength = kPayloadLength;
  uint8_t m_Data[kPayloadLength] = {};
  uint32_t m_hrLast = 0;
  char m_szDeviceId[20] = {};

 private:
  enum class Direction { kGet, kSet };
  bool Exchange(Direction direction, uint32_t selector, uint32_t length, uint8_t* data);
  // The size probe, repeated while the status's error is one of the busy ones.
  uint32_t Probe(uint32_t selector, bool retryOnGeneralFailure, uint32_t& length);
  NodeProperty Property(uint32_t selector, uint32_t flags) const;
  // Each unit's node: the device-specific node that answers a support query for the unit's
  // property set; where none does (an older driver), the first device-specific node and the
  // next. 0 found, 1 no device-specific node, else a status.
  uint32_t FindExtensionNode();
  // The first of the candidate nodes that answers a support query for the unit's property
  // set; nothing when none does. driverAnswers turns false when the driver takes no support
  // queries at all.
  std::optional<uint32_t> OwnerOfSet(const std::vector<uint32_t>& candidates, uint32_t unit,
                                     bool& driverAnswers);
  uint32_t BindFirstSupported();
  void ReleaseCallingThread();

  CameraRef m_camera;
  std::unique_ptr<DeviceControl> m_pControl;
  bool m_bOwnsFilter = false;
  bool m_bThreadPrepared = false;
  std::thread::id m_preparedThread;
};

}  // namespace tandrel
