#include "usbip/uvc_descriptors.h"

#include <initializer_list>

#include "camera/topology.h"

namespace sim::usbip {
namespace {

// guidExtensionCode as a descriptor stores it (the GUID's memory layout).
constexpr uint8_t kYuy2Guid[16] = {0x59, 0x55, 0x59, 0x32, 0x00, 0x00, 0x10, 0x00,
                                   0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
constexpr uint8_t kCameraTerminalId = 1;
constexpr uint8_t kOutputTerminalId = 2;
constexpr uint8_t kStreamEndpoint = 0x81;
constexpr uint16_t kWidth = 640;
constexpr uint16_t kHeight = 480;
constexpr uint32_t kFrameInterval = 333333;  // 30 frames per second, in 100 ns
constexpr uint32_t kFrameBytes = uint32_t{kWidth} * kHeight * 2;

class Bytes {
 public:
  Bytes& U8(std::initializer_list<uint8_t> values) {
    bytes_.insert(bytes_.end(), values);
    return *this;
  }
  Bytes& U16(uint16_t value) { return U8({static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)}); }
  Bytes& U32(uint32_t value) { return U16(static_cast<uint16_t>(value)).U16(static_cast<uint16_t>(value >> 16)); }
  Bytes& Raw(const uint8_t (&values)[16]) {
    bytes_.insert(bytes_.end(), values, values + 16);
    return *this;
  }
  Bytes& Append(const Bytes& other) {
    bytes_.insert(bytes_.end(), other.bytes_.begin(), other.bytes_.end());
    return *this;
  }
  size_t Size() const { return bytes_.size(); }
  std::vector<uint8_t>& Get() { return bytes_; }
  // Writes a little-endian 16-bit value at offset.
  void Patch16(size_t offset, uint16_t value) {
    bytes_[offset] = static_cast<uint8_t>(value);
    bytes_[offset + 1] = static_cast<uint8_t>(value >> 8);
  }

 private:
  std::vector<uint8_t> bytes_;
};

Bytes ExtensionUnit(uint8_t id, const uint8_t (&guid)[16], uint8_t source, uint8_t selectors) {
  Bytes unit;
  const uint8_t controls = static_cast<uint8_t>((1u << selectors) - 1);
  unit.U8({27, 0x24, 0x06, id}).Raw(guid).U8({selectors, 1, source, 2, controls, 0, 0});
  return unit;
}

Bytes VideoControl(const CameraIdentity& camera) {
  Bytes units;
  units.U8({18, 0x24, 0x02, kCameraTerminalId}).U16(0x0201).U8({0, 0}).U16(0).U16(0).U16(0)
      .U8({3, 0, 0, 0});
  uint8_t last = kCameraTerminalId;
  if (camera.zelUnits) {
    units.Append(ExtensionUnit(kExtensionUnit0Id, kZelUnitSets[0], last, kUnit0Selectors));
    units.Append(ExtensionUnit(kExtensionUnit1Id, kZelUnitSets[1], kExtensionUnit0Id, kUnit1Selectors));
    last = kExtensionUnit1Id;
  }
  units.U8({9, 0x24, 0x03, kOutputTerminalId}).U16(0x0101).U8({0, last, 0});
  Bytes header;
  header.U8({13, 0x24, 0x01}).U16(0x0100).U16(static_cast<uint16_t>(13 + units.Size()))
      .U32(48000000).U8({1, kVideoStreamingInterface});
  Bytes control;
  control.U8({9, 0x04, kVideoControlInterface, 0, 0, 0x0E, 0x01, 0x00, 0});
  return control.Append(header).Append(units);
}

Bytes VideoStreaming() {
  Bytes formats;
  formats.U8({27, 0x24, 0x04, 1, 1}).Raw(kYuy2Guid).U8({16, 1, 0, 0, 0, 0});
  formats.U8({30, 0x24, 0x05, 1, 0}).U16(kWidth).U16(kHeight).U32(kFrameBytes * 8 * 30)
      .U32(kFrameBytes * 8 * 30).U32(kFrameBytes).U32(kFrameInterval).U8({1}).U32(kFrameInterval);
  formats.U8({6, 0x24, 0x0D, 1, 1, 4});
  Bytes header;
  header.U8({14, 0x24, 0x01, 1}).U16(static_cast<uint16_t>(14 + formats.Size()))
      .U8({kStreamEndpoint, 0, kOutputTerminalId, 0, 0, 0, 1, 0});
  Bytes streaming;
  streaming.U8({9, 0x04, kVideoStreamingInterface, 0, 0, 0x0E, 0x02, 0x00, 0});
  streaming.Append(header).Append(formats);
  streaming.U8({9, 0x04, kVideoStreamingInterface, 1, 1, 0x0E, 0x02, 0x00, 0});
  streaming.U8({7, 0x05, kStreamEndpoint, 0x05}).U16(0x0400).U8({1});
  return streaming;
}

}  // namespace

std::vector<uint8_t> DeviceDescriptor(const CameraIdentity& camera) {
  Bytes device;
  device.U8({18, 0x01}).U16(0x0200).U8({0xEF, 0x02, 0x01, 64}).U16(camera.vendor)
      .U16(camera.product).U16(camera.release).U8({1, 2, 0, 1});
  return device.Get();
}

std::vector<uint8_t> ConfigurationDescriptor(const CameraIdentity& camera) {
  Bytes configuration;
  configuration.U8({9, 0x02, 0, 0, kInterfaces, 1, 0, 0x80, 250});
  configuration.U8({8, 0x0B, kVideoControlInterface, kInterfaces, 0x0E, 0x03, 0, 0});
  configuration.Append(VideoControl(camera)).Append(VideoStreaming());
  configuration.Patch16(2, static_cast<uint16_t>(configuration.Size()));
  return configuration.Get();
}

std::vector<uint8_t> StringDescriptor(const CameraIdentity& camera, uint8_t index) {
  if (index == 0) return {4, 0x03, 0x09, 0x04};
  const std::string* text = index == 1 ? &camera.manufacturer : index == 2 ? &camera.productName : nullptr;
  if (text == nullptr) return {};
  std::vector<uint8_t> descriptor{static_cast<uint8_t>(2 + 2 * text->size()), 0x03};
  for (char c : *text) {
    descriptor.push_back(static_cast<uint8_t>(c));
    descriptor.push_back(0);
  }
  return descriptor;
}

}  // namespace sim::usbip
