// The two device lists on Linux, read from sysfs. USB video devices are given the same path
// and id forms the Windows lists use, so that detection reads them with one set of rules:
//   video device:   \\?\usb#vid_0408&pid_2040&mi_00#6&<piece>&0&0000#{65e8773d-...}\global
//   setup entry:    USB\VID_0408&PID_2040&MI_00\6&<PIECE>&0&0000 with hardware id
//                   USB\VID_0408&PID_2040&REV_0105&MI_00
// where <piece> is eight hexadecimal digits naming the USB port the camera sits on.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace ostrel::linux_platform {

struct SysfsVideoDevice {
  std::string node;        // the interface's first video4linux node, e.g. video0
  std::string devicePath;  // the Windows-form path above; a non-USB device keeps its own bus
  SetupDevice setupEntry;  // empty instance id for a non-USB device
};

// Lists the video4linux devices below sysfsRoot (normally "/sys") in name order (video0,
// video1, ...), one entry per USB interface.
std::vector<SysfsVideoDevice> ListVideoDevices(const std::string& sysfsRoot);

}  // namespace ostrel::linux_platform
