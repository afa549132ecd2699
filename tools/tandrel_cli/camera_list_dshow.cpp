// Windows: the DirectShow video-input devices; a handle is the device's capture filter, named
// by its device path.
#include <dshow.h>
#include <windows.h>

#include <iostream>

#include "camera_list.h"
#include "win32/ansi_text.h"
#include "win32/camera_access.h"
#include "win32/com_ptr.h"
#include "win32/directshow_ids.h"

namespace cli {
namespace {

using win32::ComPtr;
using win32::kBaseFilterIid;
using win32::kCreateDevEnumIid;
using win32::kPropertyBagIid;
using win32::kSystemDeviceEnum;
using win32::kVideoInputCategory;

// The device path from the moniker's property bag; empty when it has none.
std::string DevicePath(IMoniker* moniker) {
  ComPtr<IPropertyBag> bag;
  if (FAILED(moniker->BindToStorage(nullptr, nullptr, kPropertyBagIid, bag.ReceiveVoid())))
    return {};
  VARIANT value{};
  VariantInit(&value);
  value.vt = VT_BSTR;
  std::string path;
  if (bag->Read(L"DevicePath", &value, nullptr) == S_OK && value.vt == VT_BSTR &&
      value.bstrVal != nullptr) {
    path = win32::WideToAnsi(value.bstrVal);
  }
  VariantClear(&value);
  return path;
}

}  // namespace

std::vector<VideoInput> ListVideoInputs() {
  // The tool's one thread stays in its apartment until the process ends: the filters it
  // binds are used until then.
  static const HRESULT apartment = CoInitialize(nullptr);
  (void)apartment;
  std::vector<VideoInput> inputs;
  ComPtr<ICreateDevEnum> devices;
  if (CoCreateInstance(kSystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, kCreateDevEnumIid,
                       devices.ReceiveVoid()) != S_OK) {
    return inputs;
  }
  ComPtr<IEnumMoniker> monikers;
  if (devices->CreateClassEnumerator(kVideoInputCategory, monikers.Receive(), 0) != S_OK)
    return inputs;
  for (;;) {
    ComPtr<IMoniker> moniker;
    if (monikers->Next(1, moniker.Receive(), nullptr) != S_OK) break;
    IBaseFilter* filter = nullptr;
    const HRESULT bound =
        moniker->BindToObject(nullptr, nullptr, kBaseFilterIid, reinterpret_cast<void**>(&filter));
    if (bound == E_ACCESSDENIED) {
      std::cerr << "tandrel: " << win32::kCameraAccessDenied << " (" << DevicePath(moniker.Get())
                << ")\n";
    }
    if (bound != S_OK) continue;
    std::shared_ptr<void> keeper(filter,
                                 [](void* held) { static_cast<IBaseFilter*>(held)->Release(); });
    inputs.push_back({DevicePath(moniker.Get()), filter, keeper});
  }
  return inputs;
}

}  // namespace cli
