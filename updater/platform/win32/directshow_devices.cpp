// Video-input devices through the DirectShow system device enumerator.
#include <dshow.h>
#include <windows.h>

#include "platform/win32/win32_platform.h"
#include "win32/com_ptr.h"

namespace ostrel::win32 {

using ::win32::ComPtr;

namespace {

// The camera settles after its filter is bound, before its properties are read.
constexpr DWORD kDeviceSettleMs = 300;
constexpr int kPathBytes = 256;

std::string ReadDevicePath(IMoniker* moniker) {
  ComPtr<IPropertyBag> bag;
  if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.ReceiveVoid()))) {
    return {};
  }
  VARIANT value;
  VariantInit(&value);
  std::string path;
  if (SUCCEEDED(bag->Read(L"DevicePath", &value, nullptr)) && value.vt == VT_BSTR) {
    char narrow[kPathBytes + 4] = {};
    WideCharToMultiByte(CP_ACP, 0, value.bstrVal, -1, narrow, kPathBytes, nullptr, nullptr);
    narrow[kPathBytes] = '\0';
    path = narrow;
  }
  VariantClear(&value);
  return path;
}

}  // namespace

std::vector<std::string> ListVideoInputDevicePaths() {
  std::vector<std::string> paths;
  const HRESULT comInit = CoInitialize(nullptr);
  {
    ComPtr<ICreateDevEnum> devices;
    ComPtr<IEnumMoniker> category;
    if (SUCCEEDED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_ICreateDevEnum, devices.ReceiveVoid())) &&
        devices->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, category.Receive(), 0) ==
            S_OK) {
      category->Reset();
      ComPtr<IMoniker> moniker;
      while (category->Next(1, moniker.Receive(), nullptr) == S_OK) {
        ComPtr<IBaseFilter> filter;
        moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, filter.ReceiveVoid());
        Sleep(kDeviceSettleMs);
        paths.push_back(ReadDevicePath(moniker.Get()));
      }
    }
  }
  if (SUCCEEDED(comInit)) CoUninitialize();
  return paths;
}

}  // namespace ostrel::win32
