// Endpoint 0 of one attached camera, for as long as it stays enumerated: the standard
// requests of enumeration, the UVC class requests of both interfaces, and the extension-unit
// requests, which the ZEL camera model answers. A request the model fails is stalled with the
// request error code the UVC error-code control then reads, as a camera's firmware does, so
// that uvcvideo's own mapping to errno values is what the library meets.
//
// uvcvideo learns each extension-unit control once per enumeration with a GET_LEN and a
// GET_INFO of its own before it passes the first query of user space; those two the camera
// answers from its descriptors, so the model sees (and traces) only the host's requests.
//
// Keys of the camera's section in the world file beside the model's own:
//   RequestError<U>.<S>=N  GET_CUR and SET_CUR on unit U, selector S are stalled with request
//                          error code N, before the model sees them
//   RequestErrorTimes=M    only the first M requests those keys stall (default: every one)
//   ReenumerateOnReset=0   the camera stays on the bus through a chip reset (default 1: it
//                          leaves the bus and re-enumerates with its new descriptor)
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "camera/zel_camera.h"
#include "usbip/usbip_wire.h"
#include "usbip/uvc_descriptors.h"
#include "world/world_file.h"

namespace sim::usbip {

struct EndpointFaults {
  static EndpointFaults FromWorld(const WorldFile& world, const std::u16string& section);

  std::map<std::pair<int, uint8_t>, uint8_t> requestErrors;  // (unit, selector) -> code
  int64_t requestErrorTimes = -1;                            // -1: every request
  bool reenumerateOnReset = true;
  uint64_t stalled = 0;  // requests RequestError stalled so far
};

// What the connection does after answering a request.
enum class AfterRequest { kContinue, kUnplug, kReenumerate };

struct ControlReply {
  int32_t status = 0;  // 0, or a negative errno: -EPIPE stalls the request
  std::vector<uint8_t> data;
  AfterRequest after = AfterRequest::kContinue;
};

class CameraEndpoint {
 public:
  // camera is null for a webcam without the ZEL model. faults live as long as the camera
  // (the count of RequestErrorTimes runs across enumerations).
  CameraEndpoint(ZelCamera* camera, CameraIdentity identity, EndpointFaults& faults);

  ControlReply Control(const SetupPacket& setup, std::vector<uint8_t>& outData);

 private:
  ControlReply Standard(const SetupPacket& setup);
  ControlReply VideoControl(const SetupPacket& setup, std::vector<uint8_t>& outData);
  ControlReply ExtensionUnit(int unit, const SetupPacket& setup, std::vector<uint8_t>& outData);
  ControlReply VideoStreaming(const SetupPacket& setup, std::vector<uint8_t>& outData);
  ControlReply Stall(uint8_t errorCode);
  ControlReply Answer(std::vector<uint8_t> data, uint16_t length);
  ControlReply FromModel(uint32_t status, std::vector<uint8_t> data);

  ZelCamera* const camera_;
  const CameraIdentity identity_;
  EndpointFaults& faults_;
  const uint64_t powerOns_;
  uint8_t requestError_ = 0;
  std::set<std::pair<int, uint8_t>> driverKnows_;  // controls the driver learned this time
  std::vector<uint8_t> probe_;                     // the streaming probe and commit record
};

}  // namespace sim::usbip
