#include "usbip/camera_endpoint.h"

#include <algorithm>
#include <cerrno>
#include <string>

#include "camera/request_faults.h"
#include "camera/status_words.h"
#include "text/utf16.h"

namespace sim::usbip {
namespace {


// Standard requests.
constexpr uint8_t kGetStatus = 0x00;
constexpr uint8_t kClearFeature = 0x01;
constexpr uint8_t kSetFeature = 0x03;
constexpr uint8_t kGetDescriptor = 0x06;
constexpr uint8_t kGetConfiguration = 0x08;
constexpr uint8_t kSetConfiguration = 0x09;
constexpr uint8_t kGetInterface = 0x0A;
constexpr uint8_t kSetInterface = 0x0B;
// UVC class requests.
constexpr uint8_t kSetCur = 0x01;
constexpr uint8_t kGetCur = 0x81;
constexpr uint8_t kGetMin = 0x82;
constexpr uint8_t kGetMax = 0x83;
constexpr uint8_t kGetLen = 0x85;
constexpr uint8_t kGetInfo = 0x86;
constexpr uint8_t kGetDef = 0x87;
constexpr uint8_t kInfoGetAndSet = 0x03;
constexpr uint8_t kRequestErrorCodeControl = 0x02;
constexpr uint8_t kProbeControl = 0x01;
constexpr uint8_t kCommitControl = 0x02;
// Request error codes of the error-code control.
constexpr uint8_t kNotReady = 1;
constexpr uint8_t kInvalidUnit = 5;
constexpr uint8_t kInvalidControl = 6;
constexpr uint8_t kInvalidRequest = 7;
constexpr uint8_t kInvalidValue = 8;

std::vector<uint8_t> DefaultProbe() {
  // bmHint, format 1, frame 1, 30 frames per second, the frame size, one packet's payload.
  std::vector<uint8_t> probe(26, 0);
  probe[0] = 1;
  probe[2] = 1;
  probe[3] = 1;
  const uint32_t interval = 333333, frame = 640 * 480 * 2, payload = 1024;
  for (int i = 0; i < 4; ++i) {
    probe[4 + i] = static_cast<uint8_t>(interval >> (8 * i));
    probe[18 + i] = static_cast<uint8_t>(frame >> (8 * i));
    probe[22 + i] = static_cast<uint8_t>(payload >> (8 * i));
  }
  return probe;
}

}  // namespace

EndpointFaults EndpointFaults::FromWorld(const WorldFile& world, const std::u16string& section) {
  EndpointFaults faults;
  for (int unit = 0; unit < 2; ++unit) {
    const uint8_t selectors = unit == 0 ? kUnit0Selectors : kUnit1Selectors;
    for (uint8_t selector = 1; selector <= selectors; ++selector) {
      const std::u16string key = text::Utf8ToUtf16(
          "RequestError" + std::to_string(unit) + "." + std::to_string(selector));
      if (const auto code = world.GetNumber(section, key)) {
        faults.requestErrors[{unit, selector}] = static_cast<uint8_t>(*code);
      }
    }
  }
  faults.requestErrorTimes = WorldNumber(world, section, u"RequestErrorTimes", -1);
  faults.reenumerateOnReset = WorldNumber(world, section, u"ReenumerateOnReset", 1) != 0;
  return faults;
}

CameraEndpoint::CameraEndpoint(ZelCamera* camera, CameraIdentity identity, EndpointFaults& faults)
    : camera_(camera),
      identity_(std::move(identity)),
      faults_(faults),
      powerOns_(camera != nullptr ? camera->PowerOns() : 0),
      probe_(DefaultProbe()) {}

ControlReply CameraEndpoint::Control(const SetupPacket& setup, std::vector<uint8_t>& outData) {
  const uint8_t type = setup.requestType >> 5 & 3;
  const uint8_t recipient = setup.requestType & 0x1F;
  if (type == 0) return Standard(setup);
  if (type != 1 || recipient != 1) return Stall(kInvalidRequest);
  const uint8_t interface = static_cast<uint8_t>(setup.index);
  if (interface == kVideoControlInterface) return VideoControl(setup, outData);
  if (interface == kVideoStreamingInterface) return VideoStreaming(setup, outData);
  return Stall(kInvalidUnit);
}

ControlReply CameraEndpoint::Standard(const SetupPacket& setup) {
  switch (setup.request) {
    case kGetDescriptor: {
      const uint8_t kind = static_cast<uint8_t>(setup.value >> 8);
      const uint8_t index = static_cast<uint8_t>(setup.value);
      std::vector<uint8_t> descriptor;
      if (kind == 1) descriptor = DeviceDescriptor(identity_);
      if (kind == 2) descriptor = ConfigurationDescriptor(identity_);
      if (kind == 3) descriptor = StringDescriptor(identity_, index);
      if (descriptor.empty()) return {-EPIPE, {}, AfterRequest::kContinue};
      return Answer(std::move(descriptor), setup.length);
    }
    case kGetStatus: return Answer({0, 0}, setup.length);
    case kGetConfiguration: return Answer({1}, setup.length);
    case kGetInterface: return Answer({0}, setup.length);
    case kSetConfiguration:
    case kSetInterface:
    case kClearFeature:
    case kSetFeature: return {};
    default: return {-EPIPE, {}, AfterRequest::kContinue};
  }
}

ControlReply CameraEndpoint::VideoControl(const SetupPacket& setup, std::vector<uint8_t>& outData) {
  const uint8_t entity = static_cast<uint8_t>(setup.index >> 8);
  const uint8_t selector = static_cast<uint8_t>(setup.value >> 8);
  if (entity == 0) {
    if (selector != kRequestErrorCodeControl) return Stall(kInvalidControl);
    if (setup.request == kGetCur) return Answer({requestError_}, setup.length);
    if (setup.request == kGetInfo) return Answer({1}, setup.length);
    return Stall(kInvalidRequest);
  }
  if (camera_ != nullptr && camera_->HasExtensionUnit()) {
    if (entity == kExtensionUnit0Id) return ExtensionUnit(0, setup, outData);
    if (entity == kExtensionUnit1Id) return ExtensionUnit(1, setup, outData);
  }
  return Stall(kInvalidUnit);
}

ControlReply CameraEndpoint::ExtensionUnit(int unit, const SetupPacket& setup,
                                           std::vector<uint8_t>& outData) {
  const uint8_t selector = static_cast<uint8_t>(setup.value >> 8);
  if (selector == 0 || selector > (unit == 0 ? kUnit0Selectors : kUnit1Selectors)) {
    return Stall(kInvalidControl);
  }
  const std::optional<uint32_t> node = camera_->NodeOf(kZelUnitSets[unit]);
  if (!node) return Stall(kInvalidUnit);
  const std::pair<int, uint8_t> control{unit, selector};
  uint32_t returned = 0;
  switch (setup.request) {
    case kGetLen: {
      // The driver's own query, before its first pass of a host's query on this control.
      if (driverKnows_.count(control) == 0) {
        const uint32_t length = camera_->ControlLength(unit, selector);
        return Answer({static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8)}, setup.length);
      }
      const uint32_t status = camera_->Request(kZelUnitSets[unit], selector, ZelCamera::kGetOnNode,
                                               *node, nullptr, 0, returned);
      if (status != kStatusMoreData) return FromModel(status, {});
      return FromModel(kStatusOk, {static_cast<uint8_t>(returned), static_cast<uint8_t>(returned >> 8)});
    }
    case kGetInfo:
      driverKnows_.insert(control);
      return Answer({kInfoGetAndSet}, setup.length);
    case kGetCur:
    case kSetCur: {
      const auto stalled = faults_.requestErrors.find(control);
      if (stalled != faults_.requestErrors.end() && faults_.requestErrorTimes != 0) {
        if (faults_.requestErrorTimes > 0) --faults_.requestErrorTimes;
        ++faults_.stalled;
        return Stall(stalled->second);
      }
      const bool set = setup.request == kSetCur;
      std::vector<uint8_t> data = set ? outData : std::vector<uint8_t>(setup.length, 0);
      const uint32_t status =
          camera_->Request(kZelUnitSets[unit], selector, set ? ZelCamera::kSetOnNode : ZelCamera::kGetOnNode,
                           *node, data.data(), static_cast<uint32_t>(data.size()), returned);
      if (!set) data.resize(returned);
      ControlReply reply = FromModel(status, set ? std::vector<uint8_t>() : std::move(data));
      if (reply.after == AfterRequest::kContinue && faults_.reenumerateOnReset &&
          camera_->PowerOns() != powerOns_) {
        reply.after = AfterRequest::kReenumerate;
      }
      return reply;
    }
    default: return Stall(kInvalidRequest);
  }
}

ControlReply CameraEndpoint::VideoStreaming(const SetupPacket& setup, std::vector<uint8_t>& outData) {
  const uint8_t selector = static_cast<uint8_t>(setup.value >> 8);
  if (selector != kProbeControl && selector != kCommitControl) return Stall(kInvalidControl);
  switch (setup.request) {
    case kSetCur:
      std::copy_n(outData.begin(), std::min(outData.size(), probe_.size()), probe_.begin());
      requestError_ = 0;
      return {};
    case kGetCur:
    case kGetMin:
    case kGetMax:
    case kGetDef: return Answer(probe_, setup.length);
    case kGetLen: return Answer({static_cast<uint8_t>(probe_.size()), 0}, setup.length);
    case kGetInfo: return Answer({kInfoGetAndSet}, setup.length);
    default: return Stall(kInvalidRequest);
  }
}

ControlReply CameraEndpoint::Stall(uint8_t errorCode) {
  requestError_ = errorCode;
  return {-EPIPE, {}, AfterRequest::kContinue};
}

ControlReply CameraEndpoint::Answer(std::vector<uint8_t> data, uint16_t length) {
  if (data.size() > length) data.resize(length);
  requestError_ = 0;
  return {0, std::move(data), AfterRequest::kContinue};
}

// The one place a model status word becomes what the camera does on the bus.
ControlReply CameraEndpoint::FromModel(uint32_t status, std::vector<uint8_t> data) {
  switch (status) {
    case kStatusOk:
      requestError_ = 0;
      return {0, std::move(data), AfterRequest::kContinue};
    case kStatusNotReady: return Stall(kNotReady);
    case kStatusInvalidParameter: return Stall(kInvalidValue);
    case kStatusNotFound:
    case kStatusSetNotFound: return Stall(kInvalidControl);
    // Gone: this transfer fails as on a port whose device has left, then the bus loses it.
    case kStatusDisconnected: return {-ENODEV, {}, AfterRequest::kUnplug};
    // Any other failure is a transfer error, not an answer of the firmware.
    default: return {-EPROTO, {}, AfterRequest::kContinue};
  }
}

}  // namespace sim::usbip
