#include "platform/linux/sysfs_devices.h"

#include <limits.h>
#include <stdlib.h>

#include <cstdio>
#include <set>

#include "sysfs/video4linux.h"
#include "text/utf16.h"

namespace ostrel::linux_platform {
namespace {

using sysfs::ReadAttribute;

// FNV-1a of the port name, so a camera keeps its piece while it stays on its port.
unsigned PortPiece(const std::string& portName) {
  unsigned hash = 2166136261u;
  for (unsigned char c : portName) hash = (hash ^ c) * 16777619u;
  return hash;
}

std::string Upper(std::string value) {
  for (char& c : value) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return value;
}

}  // namespace

std::vector<SysfsVideoDevice> ListVideoDevices(const std::string& sysfsRoot) {
  const std::string classDir = sysfsRoot + "/class/video4linux";
  std::vector<SysfsVideoDevice> devices;
  std::set<std::string> seenInterfaces;
  for (const std::string& node : sysfs::VideoNodeNames(classDir)) {
    char resolved[PATH_MAX];
    const std::string link = classDir + "/" + node + "/device";
    if (realpath(link.c_str(), resolved) == nullptr) continue;
    const std::string interfaceDir = resolved;
    if (!seenInterfaces.insert(interfaceDir).second) continue;  // metadata nodes of one camera
    const std::string usbDir = interfaceDir.substr(0, interfaceDir.find_last_of('/'));
    const std::string vid = ReadAttribute(usbDir + "/idVendor");
    const std::string pid = ReadAttribute(usbDir + "/idProduct");
    SysfsVideoDevice device;
    device.node = node;
    if (vid.empty() || pid.empty()) {
      device.devicePath = "\\\\?\\pci#" + node;
      devices.push_back(device);
      continue;
    }
    std::string mi = ReadAttribute(interfaceDir + "/bInterfaceNumber");
    if (mi.size() != 2) mi = "00";
    const std::string rev = ReadAttribute(usbDir + "/bcdDevice");
    char piece[9];
    std::snprintf(piece, sizeof piece, "%08x", PortPiece(usbDir.substr(usbDir.find_last_of('/') + 1)));
    device.devicePath = "\\\\?\\usb#vid_" + vid + "&pid_" + pid + "&mi_" + mi + "#6&" + piece +
                        "&0&0000#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global";
    device.setupEntry.instanceId = text::Utf8ToUtf16(Upper("USB\\VID_" + vid + "&PID_" + pid + "&MI_" + mi +
                                                        "\\6&" + piece + "&0&0000"));
    device.setupEntry.firstHardwareId =
        text::Utf8ToUtf16(Upper("USB\\VID_" + vid + "&PID_" + pid + "&REV_" + rev + "&MI_" + mi));
    devices.push_back(device);
  }
  return devices;
}

}  // namespace ostrel::linux_platform
