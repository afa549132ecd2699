// The rules by which a camera is recognised: which device paths are USB, which imaging-class
// entry belongs to a device path, the numbers in a hardware id, and the boot-ROM identities.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ostrel {

struct CameraIdentity {
  uint16_t vid = 0;
  uint16_t pid = 0;
  uint16_t bcd = 0;
};

// True when characters 4 to 6 of the path are "usb" or "USB" (no other spelling).
bool IsUsbDevicePath(std::string_view devicePath);

// The fourth '&'-separated piece of the upper-cased instance id (for
// USB\VID_0408&PID_2040&MI_00\6&2E3F1C7E&0&0000 it is 2E3F1C7E); empty when there is none.
std::u16string InstanceIdPiece(std::u16string_view instanceId);

// Whether the device path holds the piece, compared without regard to case: device paths
// are lower case while instance ids are upper case. An empty piece never matches.
bool DevicePathHoldsPiece(std::string_view devicePath, std::u16string_view piece);

// Vendor id, product id and release from USB\VID_vvvv&PID_pppp&REV_rrrr...; characters past
// the end of a short id read as NUL, which counts as a zero digit.
CameraIdentity ParseHardwareId(std::u16string_view hardwareId);

// A camera running its boot ROM instead of a firmware.
bool IsBootRomIdentity(const CameraIdentity& identity);

}  // namespace ostrel
