// Camera detection: the USB video devices, the identity of each, and the choice of camera.
#include <algorithm>
#include <cstring>

#include "camera_identity.h"
#include "update_record.h"
#include "wide_format.h"

namespace ostrel {

int CVarnelCameraDlg::EnumerateVideoDevices() {
  constexpr size_t kPathBytesKept = 256;
  int count = 0;
  for (const std::string& path : platform_.VideoDevicePaths()) {
    if (count == kDevicePathCount) break;  // the table holds ten; later devices are ignored
    if (!IsUsbDevicePath(path)) continue;
    char* entry = g_szDevicePaths[count++];
    std::memset(entry, 0, kDevicePathBytes);
    std::memcpy(entry, path.data(), std::min(path.size(), kPathBytesKept));
  }
  return count;
}

int CVarnelCameraDlg::FindCameraIdentity(int index) {
  if (index < 0 || index >= kDevicePathCount) return 1;
  const std::optional<std::vector<SetupDevice>> devices = platform_.SetupDevices();
  if (!devices) return 1;
  const char* path = g_szDevicePaths[index];
  for (const SetupDevice& device : *devices) {
    if (!DevicePathHoldsInstanceId(path, device.instanceId)) continue;
    const CameraIdentity identity = ParseHardwareId(device.firstHardwareId);
    m_wVid = identity.vid;
    m_wPid = identity.pid;
    m_wBcd = identity.bcd;
    return 0;
  }
  return 0;
}

void CVarnelCameraDlg::ShowIdentity() {
  SetControlText(kCtlVid, FormatWide(u"%04X", {unsigned{m_wVid}}));
  SetControlText(kCtlPid, FormatWide(u"%04X", {unsigned{m_wPid}}));
  SetControlText(kCtlCameraVersion, FormatWide(u"%04X ->", {unsigned{m_wBcd}}));
}

void CVarnelCameraDlg::DetectCameraAndFirmware() {
  const int deviceCount = EnumerateVideoDevices();
  if (deviceCount == 0) {
    SetStatus(u"No camera!");
    WriteLog(u"No Camera found!\r\n");
    m_bFinished = 1;
    g_nExitCode = kOutcomeNoCamera;
    return;
  }

  // The identity is not cleared between devices: a device without a setup entry of its own
  // keeps the numbers of the device before it, which that device's product id did not match.
  for (int i = 0; i < deviceCount && m_nPidIndex < 0; ++i) {
    FindCameraIdentity(i);
    for (int k = 0; k < m_nPidCount; ++k) {
      if (m_pPidList[k] == m_wPid) {
        m_nPidIndex = k;
        m_nDeviceIndex = i;
        break;
      }
    }
  }

  if (m_nPidIndex < 0) {
    if (!IsBootRomIdentity({m_wVid, m_wPid, m_wBcd})) {
      SetStatus(u"PID not match");
      if (!g_bShowWindow) WriteLog(u"PID not match\r\n");
      m_bFinished = 1;
      g_nExitCode = kOutcomeNoFirmware;
      return;
    }
    m_bRomMode = 1;
    WriteLog(u"ROM code is found, ready for update.\r\n");
    ReadBootRomSettings();
    g_bReadyToUpdate = 1;
    StartUpdateTimer();
    ShowIdentity();
    return;
  }

  ShowIdentity();
  WriteLog(u"Camera vid=0x%04x, pid=0x%04x, bcd=0x%04x.\r\n",
           {unsigned{m_wVid}, unsigned{m_wPid}, unsigned{m_wBcd}});
  if (SelectFirmware(m_nPidIndex) != 0) {
    WriteLog(u"Load special file fail.\r\n");
    g_nExitCode = kOutcomeLoadFailed;
    return;
  }
  WriteLog(u"The camera vid/pid is ok, ready for update.\r\n");
  g_bReadyToUpdate = 1;
  StartUpdateTimer();
}

}  // namespace ostrel
