// Windows transport: DirectShow lists the video-input devices and binds them to capture
// filters; the extension units are reached through the filter's kernel-streaming control and
// topology interfaces. A camera handle is the capture filter (IBaseFilter*).
//
// A camera leaves the bus at a chip reset or a switch to USB boot and comes back as a new
// device: its old filter fails every call from then on. A camera the library bound itself is
// bound anew, by its device path, at the first open after it is back; a host's filter stays the
// host's to rebuild.
#include <windows.h>
#include <dshow.h>

#include <atomic>
#include <ctime>
#include <vector>

#include "transport/ks/structured_exceptions.h"
#include "transport/platform_transport.h"
#include "win32/ansi_text.h"
#include "win32/com_ptr.h"
#include "win32/directshow_ids.h"
#include "win32/ks_interfaces.h"

namespace tandrel {
namespace {

using win32::ComPtr;
using win32::IKsControlInterface;
using win32::IKsTopologyInfoInterface;
using win32::kBaseFilterIid;
using win32::kCreateDevEnumIid;
using win32::kPropertyBagIid;
using win32::kSystemDeviceEnum;
using win32::kVideoInputCategory;

// The status of a call into the filter that raised a structured exception.
const uint32_t kFilterFaulted = static_cast<uint32_t>(HRESULT_FROM_WIN32(ERROR_NOACCESS));
const uint32_t kDeviceGone = static_cast<uint32_t>(HRESULT_FROM_WIN32(ERROR_DEVICE_NOT_CONNECTED));

// The statuses of a filter whose device has left the bus. The one place they become the
// core's "not connected", so that a camera that left is reported unreachable.
bool DeviceLeft(HRESULT hr) {
  return hr == HRESULT_FROM_WIN32(ERROR_DEVICE_REMOVED) ||
         hr == HRESULT_FROM_WIN32(ERROR_DEVICE_NOT_CONNECTED);
}

// The whole name: the core keeps what it uses of it, so a long name is cut, not lost.
std::string NarrowDisplayName(IMoniker* moniker) {
  LPOLESTR wide = nullptr;
  if (FAILED(moniker->GetDisplayName(nullptr, nullptr, &wide)) || wide == nullptr) return {};
  std::string narrow = win32::WideToAnsi(wide);
  CoTaskMemFree(wide);
  return narrow;
}

// The binding of one moniker: its filter, got with the moniker's property bag read first.
HRESULT BindFilter(IMoniker* moniker, ComPtr<IBaseFilter>& filter) {
  ComPtr<IPropertyBag> bag;
  HRESULT hr = moniker->BindToStorage(nullptr, nullptr, kPropertyBagIid, bag.ReceiveVoid());
  if (FAILED(hr)) return hr;
  // VariantInit sets only the type on Wine and older Windows: the string starts null, so
  // clearing after a read that failed frees nothing.
  VARIANT name{};
  VariantInit(&name);
  name.vt = VT_BSTR;
  hr = bag->Read(L"FriendlyName", &name, nullptr);
  VariantClear(&name);
  if (hr != S_OK) return hr;
  return moniker->BindToObject(nullptr, nullptr, kBaseFilterIid, filter.ReceiveVoid());
}

class DirectShowInputs : public VideoInputList {
 public:
  void Add(ComPtr<IMoniker> moniker) {
    names_.push_back(NarrowDisplayName(moniker.Get()));
    monikers_.push_back(std::move(moniker));
  }
  size_t Count() const override { return monikers_.size(); }
  std::string DisplayName(size_t index) const override { return names_[index]; }
  std::shared_ptr<BoundCamera> Bind(size_t index, uint32_t& status) override;
  // The filter of the device with this display name: S_OK, or the status that stopped it.
  HRESULT BindByName(const std::string& name, ComPtr<IBaseFilter>& filter) {
    for (size_t i = 0; i < names_.size(); ++i) {
      if (names_[i] == name) return BindFilter(monikers_[i].Get(), filter);
    }
    return static_cast<HRESULT>(kDeviceGone);
  }

 private:
  std::vector<ComPtr<IMoniker>> monikers_;
  std::vector<std::string> names_;
};

std::unique_ptr<DirectShowInputs> ListDirectShowInputs();

// A camera the library bound itself, known by its display name, which holds its device path.
class FilterCamera : public BoundCamera {
 public:
  FilterCamera(ComPtr<IBaseFilter> filter, std::string displayName)
      : filter_(std::move(filter)), displayName_(std::move(displayName)) {}
  ZelDeviceHandle Handle() const override { return filter_.Get(); }

  // The filter to use now; one whose device left is bound anew once the device is back.
  IBaseFilter* LiveFilter(uint32_t& status) {
    status = 0;
    if (!left_) return filter_.Get();
    const std::unique_ptr<DirectShowInputs> inputs = ListDirectShowInputs();
    ComPtr<IBaseFilter> fresh;
    const HRESULT hr = inputs ? inputs->BindByName(displayName_, fresh)
                              : static_cast<HRESULT>(kDeviceGone);
    if (hr != S_OK) {
      status = DeviceLeft(hr) ? kDeviceGone : static_cast<uint32_t>(hr);
      return nullptr;
    }
    filter_ = std::move(fresh);
    left_ = false;
    return filter_.Get();
  }
  void Left() { left_ = true; }

 private:
  ComPtr<IBaseFilter> filter_;
  const std::string displayName_;
  std::atomic<bool> left_{false};
};

std::shared_ptr<BoundCamera> DirectShowInputs::Bind(size_t index, uint32_t& status) {
  ComPtr<IBaseFilter> filter;
  const HRESULT hr = BindFilter(monikers_[index].Get(), filter);
  if (hr != S_OK) {
    status = static_cast<uint32_t>(hr);
    return nullptr;
  }
  return std::make_shared<FilterCamera>(std::move(filter), names_[index]);
}

using win32::KsEventData;
using win32::KsEventDescriptor;

// The notification signals an event of its own; a second event wakes the waiter to stop.
class KsAutoUpdateEvent : public AutoUpdateEvent {
 public:
  KsAutoUpdateEvent(IKsControlInterface* control, HANDLE raised, HANDLE cancelled)
      : control_(control), raised_(raised), cancelled_(cancelled) {
    control_->AddRef();
    data_.notificationType = win32::kNotifyByEventHandle;
    data_.event = raised_;
  }
  ~KsAutoUpdateEvent() override {
    ULONG returned = 0;
    if (enabled_) control_->KsEvent(nullptr, 0, &data_, sizeof data_, &returned);
    control_->Release();
    CloseHandle(raised_);
    CloseHandle(cancelled_);
  }
  // Enables the event; the status of KsEvent.
  HRESULT Enable() {
    KsEventDescriptor descriptor{win32::kVidCapToStiEvents, win32::kAutoUpdateEventId,
                                 win32::kEventTypeEnable};
    ULONG returned = 0;
    const HRESULT hr =
        control_->KsEvent(&descriptor, sizeof descriptor, &data_, sizeof data_, &returned);
    enabled_ = SUCCEEDED(hr);
    return hr;
  }
  bool Wait() override {
    const HANDLE handles[2] = {raised_, cancelled_};
    for (;;) {
      const DWORD woken = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
      if (woken == WAIT_OBJECT_0) return true;
      if (woken == WAIT_OBJECT_0 + 1) return false;
    }
  }
  void Cancel() override { SetEvent(cancelled_); }

 private:
  IKsControlInterface* control_;
  HANDLE raised_;
  HANDLE cancelled_;
  KsEventData data_{};
  bool enabled_ = false;
};

class KsControl : public DeviceControl {
 public:
  // owner: the library's binding of the filter, told when its device left; null for a host's.
  KsControl(IBaseFilter* filter, ComPtr<IKsControlInterface> control,
            std::shared_ptr<FilterCamera> owner)
      : filter_(filter), control_(std::move(control)), owner_(std::move(owner)) {}

  uint32_t DeviceSpecificNodes(std::vector<uint32_t>& nodes) override {
    // Held out here: a fault inside the search skips its destructors, not this one.
    ComPtr<IKsTopologyInfoInterface> topology;
    HRESULT hr = E_FAIL;
    if (!ks::RunGuarded([&] { hr = ListNodes(topology, nodes); })) return kFilterFaulted;
    return Status(hr);
  }

  uint32_t Property(const NodeProperty& property, uint8_t* data, uint32_t length,
                    uint32_t& bytesReturned) override {
    NodeProperty request = property;
    ULONG returned = 0;
    HRESULT hr = E_FAIL;
    const bool completed = ks::RunGuarded(
        [&] { hr = control_->KsProperty(&request, sizeof request, data, length, &returned); });
    bytesReturned = completed ? returned : 0;
    return completed ? Status(hr) : kFilterFaulted;
  }

  std::unique_ptr<AutoUpdateEvent> EnableAutoUpdate(uint32_t& status) override {
    const HANDLE raised = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    const HANDLE cancelled = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (raised == nullptr || cancelled == nullptr) {
      status = static_cast<uint32_t>(HRESULT_FROM_WIN32(GetLastError()));
      if (raised != nullptr) CloseHandle(raised);
      if (cancelled != nullptr) CloseHandle(cancelled);
      return nullptr;
    }
    auto event = std::make_unique<KsAutoUpdateEvent>(control_.Get(), raised, cancelled);
    const HRESULT hr = event->Enable();
    status = Status(hr);
    if (FAILED(hr)) {
      event.reset();
      return nullptr;
    }
    status = 0;
    return event;
  }

 private:
  // The status word of a call; a device that left is not connected, and its binding learns it.
  uint32_t Status(HRESULT hr) {
    if (!DeviceLeft(hr)) return static_cast<uint32_t>(hr);
    if (owner_) owner_->Left();
    return kDeviceGone;
  }

  // The device-specific nodes; owns nothing itself, so that a fault may cut it short.
  HRESULT ListNodes(ComPtr<IKsTopologyInfoInterface>& topology, std::vector<uint32_t>& nodes) {
    HRESULT hr = filter_->QueryInterface(win32::kKsTopologyInfoIid, topology.ReceiveVoid());
    if (FAILED(hr)) return hr;
    DWORD count = 0;
    hr = topology->get_NumNodes(&count);
    if (FAILED(hr)) return hr;
    for (DWORD node = 0; node < count; ++node) {
      GUID type;
      hr = topology->get_NodeType(node, &type);
      if (DeviceLeft(hr)) return hr;
      if (SUCCEEDED(hr) && IsEqualGUID(type, win32::kDevSpecificNode)) nodes.push_back(node);
    }
    return S_OK;
  }

  IBaseFilter* filter_;  // the caller's or the binding's; outlives this control
  ComPtr<IKsControlInterface> control_;
  const std::shared_ptr<FilterCamera> owner_;
};

std::unique_ptr<DirectShowInputs> ListDirectShowInputs() {
  ComPtr<ICreateDevEnum> devices;
  if (CoCreateInstance(kSystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, kCreateDevEnumIid,
                       devices.ReceiveVoid()) != S_OK) {
    return nullptr;
  }
  auto inputs = std::make_unique<DirectShowInputs>();
  ComPtr<IEnumMoniker> monikers;
  // S_FALSE: no device of the category, an empty list.
  if (devices->CreateClassEnumerator(kVideoInputCategory, monikers.Receive(), 0) != S_OK) {
    return inputs;
  }
  monikers->Reset();
  for (;;) {
    ComPtr<IMoniker> moniker;
    if (monikers->Next(1, moniker.Receive(), nullptr) != S_OK) break;
    inputs->Add(std::move(moniker));
  }
  return inputs;
}

class KsTransport : public Transport {
 public:
  std::unique_ptr<VideoInputList> ListVideoInputs() override { return ListDirectShowInputs(); }

  // A single-threaded apartment, as the filters the system device enumerator binds expect.
  // A thread already in the multithreaded apartment stays there and owes nothing.
  bool PrepareCallingThread() override { return SUCCEEDED(CoInitialize(nullptr)); }
  void ReleaseCallingThread() override { CoUninitialize(); }

  // Sets nothing up: a found camera's thread was prepared by the search, and a host's filter
  // is used on the host's thread as the host set that thread up.
  std::unique_ptr<DeviceControl> OpenControl(const CameraRef& camera, uint32_t& status) override {
    IBaseFilter* filter = static_cast<IBaseFilter*>(camera.handle);
    // Every camera this transport holds itself is a FilterCamera (ListVideoInputs binds them;
    // HoldHandle keeps none).
    const auto owner = std::static_pointer_cast<FilterCamera>(camera.reference);
    if (owner) {
      filter = owner->LiveFilter(status);
      if (filter == nullptr) return nullptr;
    }
    ComPtr<IKsControlInterface> control;
    HRESULT hr = E_FAIL;
    if (!ks::RunGuarded(
            [&] { hr = filter->QueryInterface(win32::kKsControlIid, control.ReceiveVoid()); })) {
      status = kFilterFaulted;
      return nullptr;
    }
    status = static_cast<uint32_t>(hr);
    if (hr != S_OK) return nullptr;
    return std::make_unique<KsControl>(filter, std::move(control), owner);
  }

  void Sleep(uint32_t milliseconds) override { ::Sleep(milliseconds); }
  int64_t WallClockSeconds() override { return static_cast<int64_t>(std::time(nullptr)); }
};

}  // namespace

Transport& PlatformTransport() {
  static KsTransport* const transport = new KsTransport;
  return *transport;
}

}  // namespace tandrel
