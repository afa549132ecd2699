// The rules by which a camera is recognised: which device paths are USB, which setup entry
// belongs to a device path, the numbers in a hardware id, and the boot-ROM identities.
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

// Whether the setup entry with this instance id is the video device's own: the device path
// holds the whole instance id with each "\" written "#", compared without regard to case
// (USB\VID_0408&PID_2040&MI_00\6&2E3F1C7E&0&0000 belongs to
// \\?\usb#vid_0408&pid_2040&mi_00#6&2e3f1c7e&0&0000#{...}\global). A piece of an id is not
// enough: the "0" that ends the id of every device without serial number is in every path.
// An empty instance id belongs to no device.
bool DevicePathHoldsInstanceId(std::string_view devicePath, std::u16string_view instanceId);

// Vendor id, product id and release from USB\VID_vvvv&PID_pppp&REV_rrrr...; characters past
// the end of a short id read as NUL, which counts as a zero digit.
CameraIdentity ParseHardwareId(std::u16string_view hardwareId);

// A camera running its boot ROM instead of a firmware.
bool IsBootRomIdentity(const CameraIdentity& identity);

}  // namespace ostrel
