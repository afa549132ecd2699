#include "linux/uvc_node.h"

#include <linux/usb/video.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "camera/request_faults.h"
#include "camera/status_words.h"

namespace sim::linux_node {
namespace {

// Every control of the model is this long; the driver learns it once per control and refuses
// a query of another size before the device sees it.
constexpr uint16_t kControlLength = 64;

// The one place a model status word becomes an errno: uvcvideo reads the device's request
// error code after a stall and maps "not ready" to EBUSY, invalid unit, control, request or
// value to EINVAL, anything else to EPIPE; a device that is gone gives ENODEV.
int ErrnoFromStatus(uint32_t status) {
  switch (status) {
    case kStatusOk: return 0;
    case kStatusNotReady: return EBUSY;
    case kStatusDisconnected: return ENODEV;
    case kStatusInvalidParameter:
    case kStatusNotFound:
    case kStatusSetNotFound: return EINVAL;
    default: return EPIPE;
  }
}

}  // namespace

NodeFaults NodeFaults::FromWorld(const WorldFile& world, const std::u16string& section) {
  NodeFaults faults;
  faults.openDenied = WorldNumber(world, section, u"OpenDenied", 0) != 0;
  faults.busyLenFrom = static_cast<uint64_t>(std::max<int64_t>(0, WorldNumber(world, section, u"BusyLenFrom", 0)));
  faults.busyLenCount =
      static_cast<uint64_t>(std::max<int64_t>(0, WorldNumber(world, section, u"BusyLenCount", 0)));
  return faults;
}

UvcNode::UvcNode(ZelCamera* camera, std::vector<ExtensionUnitDescriptor> units, NodeFaults faults)
    : camera_(camera), units_(std::move(units)), faults_(faults) {}

const ExtensionUnitDescriptor* UvcNode::Unit(uint8_t unitId) const {
  for (const ExtensionUnitDescriptor& unit : units_) {
    if (unit.unitId == unitId) return &unit;
  }
  return nullptr;
}

int UvcNode::Query(uvc_xu_control_query& query) {
  const ExtensionUnitDescriptor* const unit = Unit(query.unit);
  if (unit == nullptr || !unit->HasSelector(query.selector)) return ENOENT;
  uint16_t size = 0;
  switch (query.query) {
    case UVC_GET_LEN: size = 2; break;
    case UVC_GET_CUR:
    case UVC_SET_CUR: size = kControlLength; break;
    case UVC_GET_MIN:
    case UVC_GET_MAX:
    case UVC_GET_RES:
    case UVC_GET_DEF:
    case UVC_GET_INFO: return EBADRQC;  // the model's controls declare only GET_CUR and SET_CUR
    default: return EINVAL;
  }
  if (query.size != size) return ENOBUFS;
  if (query.data == nullptr) return EFAULT;
  return Forward(*unit, query);
}

int UvcNode::Forward(const ExtensionUnitDescriptor& unit, uvc_xu_control_query& query) {
  std::lock_guard<std::mutex> hold(mutex_);
  ++queries_;
  if (query.query == UVC_GET_LEN && faults_.busyLenFrom != 0 && queries_ >= faults_.busyLenFrom &&
      busyLenAnswered_ < faults_.busyLenCount) {
    ++busyLenAnswered_;
    // Said on standard error, since the model never sees these queries to trace them.
    std::fprintf(stderr, "fake_uvc_node: query %llu (size) answered EBUSY\n",
                 static_cast<unsigned long long>(queries_));
    return EBUSY;
  }
  // A unit the model does not have: the device stalls the request as an invalid unit.
  const std::optional<uint32_t> node =
      camera_ != nullptr ? camera_->NodeOf(unit.guid) : std::nullopt;
  if (!node) return EINVAL;
  uint32_t returned = 0;
  if (query.query == UVC_GET_LEN) {
    const uint32_t status =
        camera_->Request(unit.guid, query.selector, ZelCamera::kGetOnNode, *node, nullptr, 0, returned);
    if (status != kStatusMoreData) return status == kStatusOk ? EPIPE : ErrnoFromStatus(status);
    const uint16_t length = static_cast<uint16_t>(returned);
    std::memcpy(query.data, &length, sizeof length);  // little-endian, as the wire carries it
    return 0;
  }
  const uint32_t flags = query.query == UVC_SET_CUR ? ZelCamera::kSetOnNode : ZelCamera::kGetOnNode;
  return ErrnoFromStatus(camera_->Request(unit.guid, query.selector, flags, *node, query.data,
                                          query.size, returned));
}

}  // namespace sim::linux_node
