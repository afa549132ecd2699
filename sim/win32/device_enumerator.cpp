// The system device enumerator the test camera stands in for: the video-input category lists
// every camera of the world that is on the bus, in order, each a device moniker with the display name
// "@device:pnp:" + its DevicePath and a property bag (FriendlyName, DevicePath, CLSID), which
// binds to the camera filter named by the bag's CLSID.
#include <dshow.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <mutex>

#include "com_object.h"
#include "server.h"
#include "win32/com_ptr.h"
#include "wincam_ids.h"

namespace wincam {
namespace {

// CLSID_CDeviceMoniker, the class of the system's device monikers.
constexpr GUID kDeviceMonikerClsid = {0x4315D437, 0x5B8C, 0x11D0, {0xBD, 0x3B, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86}};
constexpr wchar_t kDefaultFriendlyName[] = L"USB Video Device";

// One camera of the world: what its device entry holds.
struct Device {
  std::shared_ptr<sim::LiveWorld> world;
  size_t index;

  std::wstring Value(const wchar_t* name) const {
    if (lstrcmpiW(name, L"DevicePath") == 0) return CameraValue(*world, index, u"DevicePath");
    if (lstrcmpiW(name, L"CLSID") == 0) return ClsidText(kCameraFilterClsid);
    const std::wstring friendly = CameraValue(*world, index, u"FriendlyName");
    return friendly.empty() ? kDefaultFriendlyName : friendly;
  }
  // NoFriendlyName=1: an incomplete device entry, whose bag lacks the name.
  bool Holds(const wchar_t* name) const {
    if (lstrcmpiW(name, L"FriendlyName") == 0) {
      return world->File().GetNumber(world->Camera(index).section, u"NoFriendlyName") != 1;
    }
    return lstrcmpiW(name, L"DevicePath") == 0 || lstrcmpiW(name, L"CLSID") == 0;
  }
};

class DevicePropertyBag : public ComObject<IPropertyBag> {
 public:
  explicit DevicePropertyBag(Device device) : device_(std::move(device)) {}

  // Every value is text; the caller's variant is overwritten, never freed (hosts pass it
  // uninitialised apart from its type).
  HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override {
    if (name == nullptr || value == nullptr) return E_POINTER;
    if (!device_.Holds(name)) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    if (value->vt != VT_EMPTY && value->vt != VT_BSTR) return DISP_E_TYPEMISMATCH;
    value->vt = VT_BSTR;
    value->bstrVal = SysAllocString(device_.Value(name).c_str());
    return value->bstrVal != nullptr ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE Write(LPCOLESTR, VARIANT*) override { return E_ACCESSDENIED; }

 private:
  void* Interface(REFIID iid) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPropertyBag)) {
      return static_cast<IPropertyBag*>(this);
    }
    return nullptr;
  }

  const Device device_;
};

class DeviceMoniker : public ComObject<IMoniker> {
 public:
  explicit DeviceMoniker(Device device) : device_(std::move(device)) {}

  // IPersist, IPersistStream
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override {
    if (clsid == nullptr) return E_POINTER;
    *clsid = kDeviceMonikerClsid;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE IsDirty() override { return S_FALSE; }
  HRESULT STDMETHODCALLTYPE Load(IStream*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Save(IStream*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }

  // IMoniker: binding creates the filter the bag's CLSID names and loads it with the bag.
  HRESULT STDMETHODCALLTYPE BindToObject(IBindCtx*, IMoniker*, REFIID iid,
                                         void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    win32::ComPtr<IPropertyBag> bag(new DevicePropertyBag(device_));
    CLSID clsid;
    HRESULT hr = CLSIDFromString(device_.Value(L"CLSID").c_str(), &clsid);
    if (FAILED(hr)) return hr;
    win32::ComPtr<IPersistPropertyBag> filter;
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IPersistPropertyBag,
                          filter.ReceiveVoid());
    if (FAILED(hr)) return hr;
    hr = filter->Load(bag.Get(), nullptr);
    if (FAILED(hr)) return hr;
    return filter->QueryInterface(iid, object);
  }
  HRESULT STDMETHODCALLTYPE BindToStorage(IBindCtx*, IMoniker*, REFIID iid,
                                          void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (!IsEqualIID(iid, IID_IPropertyBag)) return E_NOINTERFACE;
    return HandOut(new DevicePropertyBag(device_), iid, object);
  }
  HRESULT STDMETHODCALLTYPE Reduce(IBindCtx*, DWORD, IMoniker**, IMoniker** reduced) override {
    if (reduced == nullptr) return E_POINTER;
    *reduced = this;
    AddRef();
    return MK_S_REDUCED_TO_SELF;
  }
  HRESULT STDMETHODCALLTYPE ComposeWith(IMoniker*, BOOL, IMoniker** composite) override {
    if (composite != nullptr) *composite = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Enum(BOOL, IEnumMoniker** monikers) override {
    if (monikers == nullptr) return E_POINTER;
    *monikers = nullptr;  // no sub-monikers
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE IsEqual(IMoniker* other) override {
    return other == static_cast<IMoniker*>(this) ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Hash(DWORD* hash) override {
    if (hash == nullptr) return E_POINTER;
    *hash = static_cast<DWORD>(device_.index);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE IsRunning(IBindCtx*, IMoniker*, IMoniker*) override { return S_FALSE; }
  HRESULT STDMETHODCALLTYPE GetTimeOfLastChange(IBindCtx*, IMoniker*, FILETIME*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Inverse(IMoniker** inverse) override {
    if (inverse != nullptr) *inverse = nullptr;
    return MK_E_NOINVERSE;
  }
  HRESULT STDMETHODCALLTYPE CommonPrefixWith(IMoniker*, IMoniker** prefix) override {
    if (prefix != nullptr) *prefix = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE RelativePathTo(IMoniker*, IMoniker** path) override {
    if (path != nullptr) *path = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetDisplayName(IBindCtx*, IMoniker*, LPOLESTR* name) override {
    if (name == nullptr) return E_POINTER;
    const std::wstring text = L"@device:pnp:" + device_.Value(L"DevicePath");
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    *name = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
    if (*name == nullptr) return E_OUTOFMEMORY;
    std::memcpy(*name, text.c_str(), bytes);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ParseDisplayName(IBindCtx*, IMoniker*, LPOLESTR, ULONG*,
                                             IMoniker** out) override {
    if (out != nullptr) *out = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE IsSystemMoniker(DWORD* kind) override {
    if (kind == nullptr) return E_POINTER;
    *kind = MKSYS_NONE;
    return S_FALSE;
  }

 private:
  void* Interface(REFIID iid) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPersist) ||
        IsEqualIID(iid, IID_IPersistStream) || IsEqualIID(iid, IID_IMoniker)) {
      return static_cast<IMoniker*>(this);
    }
    return nullptr;
  }

  const Device device_;
};

class DeviceList : public ComObject<IEnumMoniker> {
 public:
  DeviceList(std::shared_ptr<sim::LiveWorld> world, size_t next)
      : world_(std::move(world)), next_(next) {}

  HRESULT STDMETHODCALLTYPE Next(ULONG count, IMoniker** monikers, ULONG* fetched) override {
    if (monikers == nullptr || (count > 1 && fetched == nullptr)) return E_POINTER;
    std::lock_guard<std::mutex> hold(mutex_);
    ULONG given = 0;
    for (; given < count && next_ < world_->CameraCount(); ++next_) {
      if (!CameraAway(*world_, next_)) monikers[given++] = new DeviceMoniker(Device{world_, next_});
    }
    if (fetched != nullptr) *fetched = given;
    return given == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    std::lock_guard<std::mutex> hold(mutex_);
    ULONG skipped = 0;
    for (; skipped < count && next_ < world_->CameraCount(); ++next_) {
      if (!CameraAway(*world_, next_)) ++skipped;
    }
    return skipped == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    std::lock_guard<std::mutex> hold(mutex_);
    next_ = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumMoniker** copy) override {
    if (copy == nullptr) return E_POINTER;
    std::lock_guard<std::mutex> hold(mutex_);
    *copy = new DeviceList(world_, next_);
    return S_OK;
  }

 private:
  void* Interface(REFIID iid) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IEnumMoniker)) {
      return static_cast<IEnumMoniker*>(this);
    }
    return nullptr;
  }

  const std::shared_ptr<sim::LiveWorld> world_;
  std::mutex mutex_;
  size_t next_;
};

class DeviceEnumerator : public ComObject<ICreateDevEnum> {
 public:
  // Only the video-input category has devices; S_FALSE and no enumerator for an empty one.
  HRESULT STDMETHODCALLTYPE CreateClassEnumerator(REFCLSID category, IEnumMoniker** monikers,
                                                  DWORD) override {
    if (monikers == nullptr) return E_POINTER;
    *monikers = nullptr;
    if (!IsEqualCLSID(category, CLSID_VideoInputDeviceCategory)) return S_FALSE;
    std::shared_ptr<sim::LiveWorld> world = sim::LiveWorld::Active();
    bool anyOnTheBus = false;
    for (size_t i = 0; i < world->CameraCount(); ++i) anyOnTheBus = anyOnTheBus || !CameraAway(*world, i);
    if (!anyOnTheBus) return S_FALSE;
    *monikers = new DeviceList(std::move(world), 0);
    return S_OK;
  }

 private:
  void* Interface(REFIID iid) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_ICreateDevEnum)) {
      return static_cast<ICreateDevEnum*>(this);
    }
    return nullptr;
  }
};

}  // namespace

HRESULT CreateDeviceEnumerator(REFIID iid, void** object) {
  return HandOut(new DeviceEnumerator, iid, object);
}

}  // namespace wincam
