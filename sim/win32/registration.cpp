#include "registration.h"

// Declarations of SetupAPI follow windows.h.
#include <setupapi.h>

#include <vector>

#include "platform/sim/setup_entries.h"
#include "world/world_file.h"
#include "wincam_ids.h"

namespace wincam {
namespace {

using ostrel::sim_platform::SetupClass;

const GUID kImagingDeviceClass = {0x6BDD1FC6, 0x810F, 0x11D0, {0xBE, 0xC7, 0x08, 0x00, 0x2B, 0xE2, 0x09, 0x2F}};
const GUID kCameraDeviceClass = {0xCA3E7AB9, 0xB4C3, 0x4AE6, {0x82, 0x51, 0x57, 0x9E, 0xF9, 0x33, 0x89, 0x0F}};
const GUID* const kSetupClasses[] = {&kImagingDeviceClass, &kCameraDeviceClass};

std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

std::wstring ClassKey(const GUID& clsid) { return L"CLSID\\" + ClsidText(clsid); }

DWORD SetText(HKEY key, const wchar_t* name, const std::wstring& value) {
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

DWORD RegisterClass(const GUID& clsid, const std::wstring& serverPath) {
  HKEY key = nullptr;
  DWORD error = RegCreateKeyExW(HKEY_CLASSES_ROOT, (ClassKey(clsid) + L"\\InprocServer32").c_str(),
                                0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
  if (error != ERROR_SUCCESS) return error;
  error = SetText(key, nullptr, serverPath);
  if (error == ERROR_SUCCESS) error = SetText(key, L"ThreadingModel", L"Both");
  RegCloseKey(key);
  return error;
}

std::vector<wchar_t> MultiString(const std::vector<std::wstring>& strings) {
  std::vector<wchar_t> multi;
  for (const std::wstring& text : strings) {
    multi.insert(multi.end(), text.begin(), text.end());
    multi.push_back(L'\0');
  }
  multi.push_back(L'\0');
  return multi;
}

DWORD RemoveSetupDevices() {
  DWORD error = ERROR_SUCCESS;
  for (const GUID* const setupClass : kSetupClasses) {
    const HDEVINFO list = SetupDiGetClassDevsW(setupClass, nullptr, nullptr, 0);
    if (list == INVALID_HANDLE_VALUE) return GetLastError();
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD index = 0; SetupDiEnumDeviceInfo(list, index, &device); ++index) {
      if (!SetupDiRemoveDevice(list, &device) && error == ERROR_SUCCESS) error = GetLastError();
    }
    SetupDiDestroyDeviceInfoList(list);
  }
  return error;
}

// An entry without hardware ids when hardwareIds is empty.
DWORD AddSetupDevice(HDEVINFO list, const GUID& setupClass, const std::wstring& instanceId,
                     const std::vector<std::wstring>& hardwareIds) {
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof device;
  if (!SetupDiCreateDeviceInfoW(list, instanceId.c_str(), &setupClass, nullptr, nullptr, 0,
                                &device)) {
    return GetLastError();
  }
  const std::vector<wchar_t> ids = MultiString(hardwareIds);
  if ((!hardwareIds.empty() &&
       !SetupDiSetDeviceRegistryPropertyW(list, &device, SPDRP_HARDWAREID,
                                          reinterpret_cast<const BYTE*>(ids.data()),
                                          static_cast<DWORD>(ids.size() * sizeof(wchar_t)))) ||
      !SetupDiRegisterDeviceInfo(list, &device, 0, nullptr, nullptr, nullptr)) {
    return GetLastError();
  }
  return ERROR_SUCCESS;
}

}  // namespace

DWORD RegisterServer(const std::wstring& serverPath) {
  const DWORD error = RegisterClass(kCameraFilterClsid, serverPath);
  return error != ERROR_SUCCESS ? error : RegisterClass(kSystemDeviceEnumClsid, serverPath);
}

DWORD RegisterSetupDevices(const std::wstring& worldPath) {
  DWORD error = RemoveSetupDevices();
  if (error != ERROR_SUCCESS) return error;
  const sim::WorldFile world(std::u16string(worldPath.begin(), worldPath.end()));
  // One list for entries of either class: SetupAPI keeps each entry's class of its own.
  const HDEVINFO list = SetupDiCreateDeviceInfoList(nullptr, nullptr);
  if (list == INVALID_HANDLE_VALUE) return GetLastError();
  for (const ostrel::sim_platform::SetupEntry& entry : ostrel::sim_platform::SetupEntries(world)) {
    std::vector<std::wstring> ids;
    for (const std::u16string& id : entry.hardwareIds) ids.push_back(Wide(id));
    const GUID& setupClass =
        entry.setupClass == SetupClass::kImage ? kImagingDeviceClass : kCameraDeviceClass;
    error = AddSetupDevice(list, setupClass, Wide(entry.instanceId), ids);
    if (error != ERROR_SUCCESS) break;
  }
  SetupDiDestroyDeviceInfoList(list);
  return error;
}

DWORD RegisterFolder(const std::wstring& folder) {
  const DWORD error = RegisterServer(folder + L"\\" + kServerFileName);
  return error != ERROR_SUCCESS ? error : RegisterSetupDevices(folder + L"\\" + kWorldFileName);
}

DWORD Unregister() {
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  DWORD error = RegisterClass(kSystemDeviceEnumClsid, std::wstring(system) + L"\\devenum.dll");
  const LSTATUS removed = RegDeleteTreeW(HKEY_CLASSES_ROOT, ClassKey(kCameraFilterClsid).c_str());
  if (error == ERROR_SUCCESS && removed != ERROR_FILE_NOT_FOUND) error = static_cast<DWORD>(removed);
  const DWORD devices = RemoveSetupDevices();
  return error != ERROR_SUCCESS ? error : devices;
}

}  // namespace wincam
