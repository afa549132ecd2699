// Camera detection: the USB video devices and the identity of the chosen one.
#include <cstring>

#include "update_record.h"

namespace ostrel {
namespace {

int EnumerateVideoDevices(Platform& platform) {
  int count = 0;
  for (const std::string& path : platform.VideoDevicePaths()) {
    if (count == kDevicePathCount) break;  // the table holds ten; later devices are ignored
    if (path.size() < 7) continue;
    const std::string bus = path.substr(4, 3);
    if (bus != "usb" && bus != "USB") continue;
    char* entry = g_szDevicePaths[count++];
    std::memset(entry, 0, kDevicePathBytes);
    std::memcpy(entry, path.data(), std::min<size_t>(path.size(), kDevicePathBytes - 4));
  }
  return count;
}

}  // namespace

void CVarnelCameraDlg::DetectCameraAndFirmware() {
  const int deviceCount = EnumerateVideoDevices(platform_);
  if (deviceCount == 0) {
    SetStatus(u"No camera!");
    WriteLog(u"No Camera found!\r\n");
    m_bFinished = 1;
    g_nExitCode = kOutcomeNoCamera;
    return;
  }
  // Identification and firmware choice of the found devices follow in the detection work.
  SetStatus(u"PID not match");
  if (!g_bShowWindow) WriteLog(u"PID not match\r\n");
  m_bFinished = 1;
  g_nExitCode = kOutcomeNoFirmware;
}

}  // namespace ostrel
