// One camera's V4L2 node as uvcvideo serves it: the extension-unit queries of
// UVCIOC_CTRL_QUERY checked as the driver checks them, then answered by the camera model,
// with the model's status words turned into the errno values the driver returns.
#pragma once

#include <linux/uvcvideo.h>

#include <cstdint>
#include <mutex>
#include <vector>

#include "camera/zel_camera.h"
#include "linux/uvc_extension_units.h"
#include "world/world_file.h"

namespace sim::linux_node {

// Faults of the node itself rather than of the device model (keys of the camera's section).
struct NodeFaults {
  static NodeFaults FromWorld(const WorldFile& world, const std::u16string& section);

  bool openDenied = false;  // OpenDenied=1: opening the node fails with EACCES
  // BusyLenFrom=N, BusyLenCount=M: from the node's N-th query on, M size queries (UVC_GET_LEN)
  // answer EBUSY, the driver's "not ready" stall, without reaching the model (each is told on
  // standard error).
  uint64_t busyLenFrom = 0;
  uint64_t busyLenCount = 0;
};

class UvcNode {
 public:
  // camera is null for a camera without the ZEL model (a plain webcam): its descriptors hold no
  // extension unit the model answers.
  UvcNode(ZelCamera* camera, std::vector<ExtensionUnitDescriptor> units, NodeFaults faults);

  bool OpenDenied() const { return faults_.openDenied; }
  // UVCIOC_CTRL_QUERY: 0 or the errno the driver would set.
  int Query(uvc_xu_control_query& query);

 private:
  const ExtensionUnitDescriptor* Unit(uint8_t unitId) const;
  int Forward(const ExtensionUnitDescriptor& unit, uvc_xu_control_query& query);

  ZelCamera* const camera_;
  const std::vector<ExtensionUnitDescriptor> units_;
  const NodeFaults faults_;
  std::mutex mutex_;
  uint64_t queries_ = 0;
  uint64_t busyLenAnswered_ = 0;
};

}  // namespace sim::linux_node
