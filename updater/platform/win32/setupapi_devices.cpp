// Present devices of the imaging and camera setup classes through SetupAPI: instance id and
// first hardware id. Windows 7 and 8, and cameras installed with a vendor's INF, file webcams
// under the imaging class; the inbox UVC driver of Windows 10 (1709) and later under the
// camera class.
#include <windows.h>
// Declarations of the configuration manager follow windows.h.
#include <cfgmgr32.h>
#include <setupapi.h>

#include <optional>
#include <utility>
#include <vector>

#include "platform/win32/win32_platform.h"
#include "platform/win32/wide.h"

namespace ostrel::win32 {
namespace {

const GUID kImagingDeviceClass = {0x6BDD1FC6, 0x810F, 0x11D0, {0xBE, 0xC7, 0x08, 0x00, 0x2B, 0xE2, 0x09, 0x2F}};
const GUID kCameraDeviceClass = {0xCA3E7AB9, 0xB4C3, 0x4AE6, {0x82, 0x51, 0x57, 0x9E, 0xF9, 0x33, 0x89, 0x0F}};

// The first string of the hardware-id list: nothing when the size query does not report a
// size, empty when the list itself cannot be read (identification then reads 0, 0, 0).
std::optional<std::u16string> FirstHardwareId(HDEVINFO list, SP_DEVINFO_DATA& device) {
  DWORD size = 0;
  if (SetupDiGetDeviceRegistryPropertyW(list, &device, SPDRP_HARDWAREID, nullptr, nullptr, 0,
                                        &size) ||
      GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0) {
    return std::nullopt;
  }
  std::vector<BYTE> buffer;
  for (;;) {
    buffer.assign(size + sizeof(wchar_t) * 2, 0);  // room for the terminators, whatever comes
    if (SetupDiGetDeviceRegistryPropertyW(list, &device, SPDRP_HARDWAREID, nullptr, buffer.data(),
                                          size, &size)) {
      break;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return std::u16string();
  }
  return FromWide(std::wstring(reinterpret_cast<const wchar_t*>(buffer.data())));
}

// The present devices of one class, appended to devices; false when the list is unavailable.
bool AppendPresentDevices(const GUID& setupClass, std::vector<SetupDevice>& devices) {
  const HDEVINFO list = SetupDiGetClassDevsW(&setupClass, nullptr, nullptr, DIGCF_PRESENT);
  if (list == INVALID_HANDLE_VALUE) return false;
  // An enumeration error ends the list where it stands: the devices before it are still
  // judged, and identification ignores the error itself.
  for (DWORD index = 0;; ++index) {
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    if (!SetupDiEnumDeviceInfo(list, index, &device)) break;
    wchar_t instanceId[MAX_PATH] = {};
    CM_Get_Device_IDW(device.DevInst, instanceId, MAX_PATH, 0);
    // A device without a hardware-id size is left out: identification passes over it to the
    // next device, just as over one whose instance id does not match.
    std::optional<std::u16string> hardwareId = FirstHardwareId(list, device);
    if (!hardwareId) continue;
    devices.push_back({FromWide(std::wstring(instanceId)), std::move(*hardwareId)});
  }
  SetupDiDestroyDeviceInfoList(list);
  return true;
}

}  // namespace

// A class whose list is unavailable contributes nothing; only both failing leaves no list.
std::optional<std::vector<SetupDevice>> ListSetupDevices() {
  std::vector<SetupDevice> devices;
  const bool imaging = AppendPresentDevices(kImagingDeviceClass, devices);
  const bool camera = AppendPresentDevices(kCameraDeviceClass, devices);
  if (!imaging && !camera) return std::nullopt;
  return devices;
}

}  // namespace ostrel::win32
