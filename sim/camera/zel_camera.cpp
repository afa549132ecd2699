#include "camera/zel_camera.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "camera/encoder_port.h"
#include "camera/group_port.h"
#include "camera/record_port.h"
#include "camera/register_port.h"
#include "camera/status_words.h"
#include "zel/device_descriptor.h"

namespace sim {
namespace {

constexpr uint32_t kDefaultControlLength = 64;

ControlBytes SystemInfoDefault() {
  ControlBytes record{};
  StoreLe(&record[0], 0x0001, 2);
  StoreLe(&record[2], 0x0600, 2);
  return record;
}

}  // namespace

// The firmware's controls; rebuilt from the world's values at every power-on.
struct ZelCamera::Controls {
  Controls(const WorldFile& world, const std::u16string& section, NorFlash& flash,
           ZelRegisters& registers)
      : encoder(WorldBytes(world, section, u"EncoderRecord").value_or(EncoderPort::DefaultRecord())),
        registerPort(registers),
        flashPort(flash, WorldNumber(world, section, u"EraseBusyPolls", 2)),
        deviceSettings(encoder, DeviceSettingsPort::DefaultCapabilities()),
        video(10),
        audio(3),
        systemInfo(WorldBytes(world, section, u"SystemInfo").value_or(SystemInfoDefault()), false),
        deviceInfo(WorldBytes(world, section, u"DeviceInfo").value_or(ControlBytes{}), false),
        led(ControlBytes{}, true),
        aeMaxGain(ControlBytes{}, true),
        aeMaxTime(ControlBytes{}, true) {}

  EncoderPort encoder;
  RegisterPort registerPort;
  FlashPort flashPort;
  TuningPort tuning;
  DeviceSettingsPort deviceSettings;
  GroupPort video;
  GroupPort audio;
  RecordPort systemInfo;
  RecordPort deviceInfo;
  RecordPort led;
  RecordPort aeMaxGain;
  RecordPort aeMaxTime;
};

ZelCamera::ZelCamera(const WorldFile& world, const CameraConfig& config, TraceLog& trace)
    : world_(world),
      config_(config),
      trace_(trace),
      faults_(RequestFaults::FromWorld(world, config.section)),
      hasExtensionUnit_(WorldNumber(world, config.section, u"NoExtensionUnit", 0) == 0),
      topology_(Topology::FromWorld(world, config.section, hasExtensionUnit_)),
      controlLengths_(ControlNumbers(world, config.section, "ControlLength")),
      requestDelay_(static_cast<double>(WorldNumber(world, config.section, u"RequestDelayUs", 0)) *
                    world.TimeScale()),
      busyProbesLeft_(faults_.busyProbes),
      flash_(config.flashPath, StuckByteOf(world, config.section)),
      registers_(static_cast<uint32_t>(
          WorldNumber(world, config.section, u"ChipId", ZelRegisters::kVariantA))) {
  PowerOn();
}

ZelCamera::~ZelCamera() { StopRaiser(); }

std::optional<uint32_t> ZelCamera::NodeOf(const uint8_t (&propertySet)[16]) const {
  const int unit = ZelUnitOf(propertySet);
  if (unit < 0 || !hasExtensionUnit_) return std::nullopt;
  return topology_.NodeOfUnit(unit);
}

uint32_t ZelCamera::SetAutoUpdateListener(std::function<void()> listener) {
  constexpr uint32_t kEnableDescriptorBytes = 24;
  const bool enable = static_cast<bool>(listener);
  if (!enable) StopRaiser();
  std::lock_guard<std::mutex> hold(mutex_);
  ++requests_;
  uint32_t status = kStatusOk;
  if (faults_.unplugAfter != 0 && requests_ > faults_.unplugAfter) {
    status = faults_.unplugStatus;
  } else if (IsFailingRequest()) {
    status = FailingRequestStatus();
  } else if (!hasExtensionUnit_) {
    status = kStatusNotFound;
  }
  if (trace_.Enabled()) {
    trace_.Line(RequestLine("EVT", 0, 1, enable ? kEnableDescriptorBytes : 0, nullptr, 0, status));
  }
  if (status != kStatusOk) return status;
  autoUpdateListener_ = std::move(listener);
  const int64_t count = WorldNumber(world_, config_.section, u"AutoUpdateEvents", 0);
  if (enable && count > 0 && !raiser_.joinable()) {
    const auto period = std::chrono::duration<double, std::milli>(
        WorldNumber(world_, config_.section, u"AutoUpdateEventPeriod", 100) * world_.TimeScale());
    raiserStop_ = false;
    raiser_ = std::thread([this, count, period] {
      for (int64_t i = 0; i < count; ++i) {
        std::unique_lock<std::mutex> wait(mutex_);
        if (raiserWake_.wait_for(wait, period, [this] { return raiserStop_; })) return;
        if (autoUpdateListener_) autoUpdateListener_();
      }
    });
  }
  return status;
}

void ZelCamera::RaiseAutoUpdate() {
  std::lock_guard<std::mutex> hold(mutex_);
  if (autoUpdateListener_) autoUpdateListener_();
}

void ZelCamera::StopRaiser() {
  {
    std::lock_guard<std::mutex> hold(mutex_);
    raiserStop_ = true;
  }
  raiserWake_.notify_all();
  if (raiser_.joinable()) raiser_.join();
}

void ZelCamera::PowerOn() {
  ++powerOns_;
  registers_.PowerOn();
  controls_ = std::make_unique<Controls>(world_, config_.section, flash_, registers_);
  uint8_t descriptor[zel::kDeviceDescriptorBytes];
  for (size_t i = 0; i < zel::kDeviceDescriptorBytes; ++i) {
    descriptor[i] = flash_.Read(zel::kDeviceDescriptorAddress + static_cast<uint32_t>(i));
  }
  release_ = zel::DeviceDescriptorRelease(descriptor);
}

std::optional<uint16_t> ZelCamera::Release() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return release_;
}

uint64_t ZelCamera::PowerOns() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return powerOns_;
}

uint64_t ZelCamera::Enumerations() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return 1 + departures_;
}

std::chrono::steady_clock::time_point ZelCamera::LastDeparture() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return lastDeparture_;
}

void ZelCamera::Depart() {
  ++departures_;
  lastDeparture_ = std::chrono::steady_clock::now();
}

uint8_t ZelCamera::BootMode() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return controls_->flashPort.BootMode();
}

const ControlBytes* ZelCamera::TuningSetting(uint8_t code) const {
  std::lock_guard<std::mutex> hold(mutex_);
  return controls_->tuning.LastSetting(code);
}

bool ZelCamera::IsFailingRequest() const {
  return faults_.failRequest != 0 && requests_ == faults_.failRequest;
}

uint32_t ZelCamera::FailingRequestStatus() const {
  // A call that raised is failed by the host's guard with ERROR_NOACCESS, whatever was asked.
  return faults_.failRequestRaises ? kStatusNoAccess : faults_.failRequestStatus;
}

ControlPort* ZelCamera::Port(int unit, uint32_t selector) {
  Controls& c = *controls_;
  ControlPort* const unit0[] = {nullptr,      &c.encoder, &c.registerPort, &c.flashPort, &c.tuning,
                                &c.deviceSettings, &c.video, &c.audio, &c.systemInfo};
  ControlPort* const unit1[] = {nullptr, &c.deviceInfo, &c.led, &c.aeMaxGain, &c.aeMaxTime};
  if (unit == 0 && selector < std::size(unit0)) return unit0[selector];
  if (unit == 1 && selector < std::size(unit1)) return unit1[selector];
  return nullptr;
}

uint32_t ZelCamera::ControlLength(int unit, uint32_t selector) const {
  const auto declared = controlLengths_.find({unit, selector});
  if (declared == controlLengths_.end() || declared->second < 1 || declared->second > 0xFFFF) {
    return kDefaultControlLength;
  }
  return static_cast<uint32_t>(declared->second);
}

uint32_t ZelCamera::Request(const uint8_t (&propertySet)[16], uint32_t selector, uint32_t flags,
                            uint32_t nodeId, uint8_t* data, uint32_t length,
                            uint32_t& bytesReturned) {
  if (requestDelay_.count() > 0) std::this_thread::sleep_for(requestDelay_);
  std::unique_lock<std::mutex> hold(mutex_);
  ++requests_;
  if (faults_.stallAfter != 0 && requests_ > faults_.stallAfter) {
    hold.unlock();
    for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
  }
  const int unit = ZelUnitOf(propertySet);
  const bool probe = data == nullptr && length == 0;
  bytesReturned = 0;
  const uint32_t status =
      Serve(propertySet, unit, selector, flags, nodeId, data, length, bytesReturned);
  // The flash is non-volatile: whatever this request changed is on file before it is traced
  // and returns.
  flash_.Persist();
  if (trace_.Enabled()) {
    const char* op = probe ? "LEN" : flags == kSetOnNode ? "SET" : "GET";
    const bool carriesData = data != nullptr && (flags == kSetOnNode || status == kStatusOk);
    const uint32_t shown = flags == kSetOnNode ? length : bytesReturned;
    trace_.Line(RequestLine(op, unit, selector, probe ? bytesReturned : length, data,
                            carriesData ? shown : 0, status));
  }
  if (registers_.TakeResetRequest()) {
    PowerOn();
    Depart();
  } else if (controls_->flashPort.TakeBootSwitch()) {
    Depart();
  }
  return status;
}

uint32_t ZelCamera::Serve(const uint8_t (&propertySet)[16], int unit, uint32_t selector,
                          uint32_t flags, uint32_t nodeId, uint8_t* data, uint32_t length,
                          uint32_t& bytesReturned) {
  if (faults_.unplugAfter != 0 && requests_ > faults_.unplugAfter) return faults_.unplugStatus;
  if (IsFailingRequest()) return FailingRequestStatus();
  // The driver answers a set on a node that does not own it before the firmware sees it.
  if (unit < 0 || nodeId != NodeOf(propertySet)) return kStatusSetNotFound;
  if (flags != kGetOnNode && flags != kSetOnNode) return kStatusInvalidParameter;
  const RequestFaults::Control control{unit, selector};
  if (auto failing = faults_.fail.find(control); failing != faults_.fail.end()) {
    return failing->second;
  }
  ControlPort* const port = Port(unit, selector);
  if (port == nullptr) return kStatusNotFound;

  const uint32_t controlLength = ControlLength(unit, selector);
  if (data == nullptr && length == 0) {
    if (busyProbesLeft_ > 0) {
      --busyProbesLeft_;
      return kStatusNotReady;
    }
    bytesReturned = controlLength;
    return kStatusMoreData;
  }
  // The kernel-streaming layer refuses a buffer shorter than the property; it reads none of it.
  if (data == nullptr || length < controlLength) return kStatusInsufficientBuffer;
  const uint32_t carried = std::min<uint32_t>(controlLength, kDefaultControlLength);
  if (flags == kSetOnNode) {
    if (auto failing = faults_.failSet.find(control); failing != faults_.failSet.end()) {
      return failing->second;
    }
    if (length != controlLength) return kStatusInvalidParameter;
    ControlBytes request{};
    std::copy_n(data, carried, request.begin());
    return port->Set(request);
  }
  if (auto failing = faults_.failGet.find(control); failing != faults_.failGet.end()) {
    return failing->second;
  }
  ControlBytes reply{};
  const uint32_t status = port->Get(reply);
  if (auto canned = faults_.replies.find(control); canned != faults_.replies.end()) {
    reply = canned->second;
  }
  if (status != kStatusOk) return status;
  std::fill_n(data, controlLength, 0);
  std::copy_n(reply.begin(), carried, data);
  bytesReturned = controlLength;
  return kStatusOk;
}

}  // namespace sim
