// The USB descriptors of a UVC 1.0 camera with one YUY2 stream: a camera terminal, the ZEL
// extension units when the camera has them, an output terminal to the streaming interface
// (isochronous, alternate setting 1), and the strings the configuration names.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sim::usbip {

// bUnitID of the two ZEL extension units on the chain from the camera terminal.
constexpr uint8_t kExtensionUnit0Id = 3;
constexpr uint8_t kExtensionUnit1Id = 4;
constexpr uint8_t kVideoControlInterface = 0;
constexpr uint8_t kVideoStreamingInterface = 1;
constexpr uint8_t kInterfaces = 2;
// The selectors each unit declares in bmControls.
constexpr uint8_t kUnit0Selectors = 8;
constexpr uint8_t kUnit1Selectors = 4;

struct CameraIdentity {
  uint16_t vendor = 0;
  uint16_t product = 0;
  uint16_t release = 0;
  bool zelUnits = false;
  std::string manufacturer;
  std::string productName;
};

std::vector<uint8_t> DeviceDescriptor(const CameraIdentity& camera);
std::vector<uint8_t> ConfigurationDescriptor(const CameraIdentity& camera);
// String descriptor index: 0 the language list, 1 the manufacturer, 2 the product; empty for
// any other.
std::vector<uint8_t> StringDescriptor(const CameraIdentity& camera, uint8_t index);

}  // namespace sim::usbip
