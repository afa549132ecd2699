// Video-input devices through the DirectShow system device enumerator.
#include <dshow.h>
#include <windows.h>

#include <functional>

#include "platform/win32/win32_platform.h"
#include "win32/ansi_text.h"
#include "text/utf16.h"
#include "win32/camera_access.h"
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
  if (SUCCEEDED(bag->Read(L"DevicePath", &value, nullptr)) && value.vt == VT_BSTR &&
      value.bstrVal != nullptr) {
    path = ::win32::WideToAnsi(value.bstrVal).substr(0, kPathBytes);
  }
  VariantClear(&value);
  return path;
}

// Hands each video-input device to visit, in enumeration order, until visit returns false.
// COM must be initialised on the calling thread.
void ForEachVideoInput(const std::function<bool(IMoniker*)>& visit) {
  ComPtr<ICreateDevEnum> devices;
  ComPtr<IEnumMoniker> category;
  if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER,
                              IID_ICreateDevEnum, devices.ReceiveVoid())) ||
      devices->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, category.Receive(), 0) != S_OK) {
    return;
  }
  category->Reset();
  ComPtr<IMoniker> moniker;
  while (category->Next(1, moniker.Receive(), nullptr) == S_OK) {
    if (!visit(moniker.Get())) return;
  }
}

// Releases a bound filter, then the COM initialisation of the thread that bound it.
struct FilterRelease {
  bool uninitialize;
  void operator()(void* filter) const {
    static_cast<IBaseFilter*>(filter)->Release();
    if (uninitialize) CoUninitialize();
  }
};

}  // namespace

std::vector<std::string> ListVideoInputDevicePaths() {
  std::vector<std::string> paths;
  const HRESULT comInit = CoInitialize(nullptr);
  ForEachVideoInput([&paths](IMoniker* moniker) {
    ComPtr<IBaseFilter> filter;
    moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, filter.ReceiveVoid());
    Sleep(kDeviceSettleMs);
    paths.push_back(ReadDevicePath(moniker));
    return true;
  });
  if (SUCCEEDED(comInit)) CoUninitialize();
  return paths;
}

std::shared_ptr<void> BindVideoInputDevice(const std::string& devicePath, std::u16string& refusal) {
  // COM stays initialised on this thread for as long as the filter is used.
  const HRESULT comInit = CoInitialize(nullptr);
  IBaseFilter* filter = nullptr;
  ForEachVideoInput([&](IMoniker* moniker) {
    if (ReadDevicePath(moniker) != devicePath) return true;
    const HRESULT bound = moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter,
                                                reinterpret_cast<void**>(&filter));
    if (FAILED(bound)) filter = nullptr;
    if (bound == E_ACCESSDENIED) {
      refusal = text::Utf8ToUtf16(std::string(::win32::kCameraAccessDenied) + ".\r\n");
    }
    return false;
  });
  if (filter == nullptr) {
    if (SUCCEEDED(comInit)) CoUninitialize();
    return nullptr;
  }
  return std::shared_ptr<void>(filter, FilterRelease{SUCCEEDED(comInit)});
}

}  // namespace ostrel::win32
