// The capture filter of a test camera, as a USB video camera's filter looks to a host: a
// minimal base filter without pins, the kernel-streaming control (property and event requests
// reach the camera model; support queries are answered from the topology, as the driver
// answers them) and topology (the nodes a UVC camera reports), and the property-bag
// persistence through which the device moniker tells it which camera of the world it is. A
// filter whose camera left the bus (a chip reset or a switch to USB boot) fails every call
// from then on, as a filter of a removed device does.
#include <dshow.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

#include "camera/status_words.h"
#include "camera/topology.h"
#include "com_object.h"
#include "server.h"
#include "win32/com_ptr.h"
#include "win32/ks_interfaces.h"
#include "wincam_ids.h"

namespace wincam {
namespace {

using win32::IKsControlInterface;
using win32::IKsTopologyInfoInterface;

constexpr GUID kCameraTerminalNode = {0xDFF229E6, 0xF70F, 0x11D0, {0xB9, 0x17, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}};
constexpr GUID kProcessingNode = {0xDFF229E5, 0xF70F, 0x11D0, {0xB9, 0x17, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}};
constexpr GUID kSelectorNode = {0xDFF229E4, 0xF70F, 0x11D0, {0xB9, 0x17, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}};
constexpr GUID kStreamingNode = {0xDFF229E1, 0xF70F, 0x11D0, {0xB9, 0x17, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}};
constexpr GUID kVideoCategory = {0x6994AD05, 0x93EF, 0x11D0, {0xA3, 0xCC, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}};
constexpr GUID kCaptureCategory = {0x65E8773D, 0x8F56, 0x11D0, {0xA3, 0xB9, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}};
constexpr GUID kCategories[] = {kVideoCategory, kCaptureCategory};

// Flags of a support query on a topology node: KSPROPERTY_TYPE_SETSUPPORT with _TOPOLOGY.
constexpr ULONG kSupportOnNode = 0x10000100;
const HRESULT kDeviceRemoved = HRESULT_FROM_WIN32(ERROR_DEVICE_REMOVED);

// SONIX and Sunplus cameras carry one extension unit of their own; a plain webcam has none.
using sim::NodeKind;
const sim::Topology kVendorUnitTopology = sim::Topology::Of(
    {NodeKind::kCameraTerminal, NodeKind::kProcessing, NodeKind::kOtherUnit, NodeKind::kStreaming});
const sim::Topology kPlainTopology =
    sim::Topology::Of({NodeKind::kCameraTerminal, NodeKind::kProcessing, NodeKind::kStreaming});

GUID NodeType(NodeKind kind) {
  switch (kind) {
    case NodeKind::kCameraTerminal: return kCameraTerminalNode;
    case NodeKind::kProcessing: return kProcessingNode;
    case NodeKind::kSelector: return kSelectorNode;
    case NodeKind::kStreaming: return kStreamingNode;
    default: return win32::kDevSpecificNode;  // every extension unit
  }
}

HRESULT Status(uint32_t statusWord) { return static_cast<HRESULT>(statusWord); }

// A filter without pins enumerates none.
class NoPins : public ComObject<IEnumPins> {
 public:
  HRESULT STDMETHODCALLTYPE Next(ULONG count, IPin** pins, ULONG* fetched) override {
    if (pins == nullptr) return E_POINTER;
    if (fetched != nullptr) *fetched = 0;
    return count == 0 ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override { return count == 0 ? S_OK : S_FALSE; }
  HRESULT STDMETHODCALLTYPE Reset() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Clone(IEnumPins** copy) override {
    if (copy == nullptr) return E_POINTER;
    *copy = new NoPins;
    return S_OK;
  }

 private:
  void* Interface(REFIID iid) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IEnumPins)) {
      return static_cast<IEnumPins*>(this);
    }
    return nullptr;
  }
};

class CameraFilter : public ComObject<IBaseFilter, IKsControlInterface, IKsTopologyInfoInterface,
                                      IPersistPropertyBag> {
 public:
  ~CameraFilter() override {
    // A driver disables the events of a handle that closes.
    if (eventEnabled_) Model()->SetAutoUpdateListener({});
  }

  // IPersist
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override {
    if (clsid == nullptr) return E_POINTER;
    *clsid = kCameraFilterClsid;
    return S_OK;
  }

  // IMediaFilter
  HRESULT STDMETHODCALLTYPE Stop() override { return SetState(State_Stopped); }
  HRESULT STDMETHODCALLTYPE Pause() override { return SetState(State_Paused); }
  HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME) override { return SetState(State_Running); }
  HRESULT STDMETHODCALLTYPE GetState(DWORD, FILTER_STATE* state) override {
    if (state == nullptr) return E_POINTER;
    std::lock_guard<std::mutex> hold(mutex_);
    *state = state_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetSyncSource(IReferenceClock* clock) override {
    if (clock != nullptr) clock->AddRef();
    std::lock_guard<std::mutex> hold(mutex_);
    clock_ = win32::ComPtr<IReferenceClock>(clock);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetSyncSource(IReferenceClock** clock) override {
    if (clock == nullptr) return E_POINTER;
    std::lock_guard<std::mutex> hold(mutex_);
    *clock = clock_.Get();
    if (*clock != nullptr) (*clock)->AddRef();
    return S_OK;
  }

  // IBaseFilter
  HRESULT STDMETHODCALLTYPE EnumPins(IEnumPins** pins) override {
    if (pins == nullptr) return E_POINTER;
    *pins = new NoPins;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE FindPin(LPCWSTR, IPin** pin) override {
    if (pin == nullptr) return E_POINTER;
    *pin = nullptr;
    return VFW_E_NOT_FOUND;
  }
  HRESULT STDMETHODCALLTYPE QueryFilterInfo(FILTER_INFO* info) override {
    if (info == nullptr) return E_POINTER;
    std::lock_guard<std::mutex> hold(mutex_);
    lstrcpynW(info->achName, name_.c_str(), MAX_FILTER_NAME);
    info->pGraph = graph_;
    if (graph_ != nullptr) graph_->AddRef();
    return S_OK;
  }
  // The graph holds the filter, not the other way round: no reference is kept.
  HRESULT STDMETHODCALLTYPE JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override {
    std::lock_guard<std::mutex> hold(mutex_);
    graph_ = graph;
    name_ = graph != nullptr && name != nullptr ? name : L"";
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE QueryVendorInfo(LPWSTR* info) override {
    if (info == nullptr) return E_POINTER;
    *info = nullptr;
    return E_NOTIMPL;
  }

  // IKsControl
  HRESULT STDMETHODCALLTYPE KsProperty(void* property, ULONG propertyLength, void* data,
                                       ULONG dataLength, ULONG* bytesReturned) override {
    FaultIf(faultingControl_);
    if (!world_) return E_UNEXPECTED;
    if (property == nullptr || propertyLength < sizeof(win32::KsNodeProperty) ||
        bytesReturned == nullptr) {
      return E_INVALIDARG;
    }
    *bytesReturned = 0;
    if (Removed()) return kDeviceRemoved;
    win32::KsNodeProperty request;
    std::memcpy(&request, property, sizeof request);
    uint8_t set[16];
    std::memcpy(set, &request.set, sizeof set);
    if (request.flags == kSupportOnNode) return SupportQuery(request.nodeId, set);
    sim::ZelCamera* const camera = Model();
    if (camera == nullptr) return Status(sim::kStatusSetNotFound);
    uint32_t returned = 0;
    const uint32_t status = camera->Request(set, request.id, request.flags, request.nodeId,
                                            static_cast<uint8_t*>(data), dataLength, returned);
    if (status == sim::kStatusNoAccess && camera->FailedRequestRaises()) RaiseAccessViolation();
    *bytesReturned = returned;
    return Status(status);
  }
  HRESULT STDMETHODCALLTYPE KsMethod(void*, ULONG, void*, ULONG, ULONG* bytesReturned) override {
    FaultIf(faultingControl_);
    if (bytesReturned != nullptr) *bytesReturned = 0;
    return Removed() ? kDeviceRemoved : Status(sim::kStatusSetNotFound);
  }
  // Enables the auto-update event with a descriptor, disables it without one.
  HRESULT STDMETHODCALLTYPE KsEvent(void* event, ULONG eventLength, void* data, ULONG dataLength,
                                    ULONG* bytesReturned) override {
    FaultIf(faultingControl_);
    if (!world_) return E_UNEXPECTED;
    if (bytesReturned != nullptr) *bytesReturned = 0;
    if (data == nullptr || dataLength < sizeof(win32::KsEventData)) return E_INVALIDARG;
    if (Removed()) return kDeviceRemoved;
    sim::ZelCamera* const camera = Model();
    if (camera == nullptr) return Status(sim::kStatusSetNotFound);
    if (event == nullptr) {
      const uint32_t status = camera->SetAutoUpdateListener({});
      if (status == sim::kStatusOk) eventEnabled_ = false;
      return Status(status);
    }
    if (eventLength < sizeof(win32::KsEventDescriptor)) return E_INVALIDARG;
    win32::KsEventDescriptor descriptor;
    std::memcpy(&descriptor, event, sizeof descriptor);
    win32::KsEventData notification;
    std::memcpy(&notification, data, sizeof notification);
    if (!IsEqualGUID(descriptor.set, win32::kVidCapToStiEvents)) {
      return Status(sim::kStatusSetNotFound);
    }
    if (descriptor.id != win32::kAutoUpdateEventId) return Status(sim::kStatusNotFound);
    if (descriptor.flags != win32::kEventTypeEnable ||
        notification.notificationType != win32::kNotifyByEventHandle) {
      return E_INVALIDARG;
    }
    // The camera signals its own handle of the event, as a driver references the object: the
    // host may close its handle while the camera still raises.
    HANDLE own = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), notification.event, GetCurrentProcess(), &own,
                         EVENT_MODIFY_STATE, FALSE, 0)) {
      return HRESULT_FROM_WIN32(GetLastError());
    }
    const std::shared_ptr<void> signal(own, CloseHandle);
    const uint32_t status = camera->SetAutoUpdateListener([signal] { SetEvent(signal.get()); });
    if (status == sim::kStatusOk) eventEnabled_ = true;
    return Status(status);
  }

  // IKsTopologyInfo
  HRESULT STDMETHODCALLTYPE get_NumCategories(DWORD* count) override {
    if (count == nullptr) return E_POINTER;
    *count = static_cast<DWORD>(std::size(kCategories));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_Category(DWORD index, GUID* category) override {
    if (category == nullptr) return E_POINTER;
    if (index >= std::size(kCategories)) return E_INVALIDARG;
    *category = kCategories[index];
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_NumConnections(DWORD* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_ConnectionInfo(DWORD, void*) override { return E_INVALIDARG; }
  HRESULT STDMETHODCALLTYPE get_NodeName(DWORD, WCHAR*, DWORD, DWORD*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_NumNodes(DWORD* count) override {
    FaultIf(faultingTopology_);
    if (count == nullptr) return E_POINTER;
    if (!world_) return E_UNEXPECTED;
    if (Removed()) return kDeviceRemoved;
    *count = static_cast<DWORD>(Topology().Nodes().size());
    KsTraceLine(*world_, "NODES " + std::to_string(*count));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_NodeType(DWORD node, GUID* type) override {
    FaultIf(faultingTopology_);
    if (type == nullptr) return E_POINTER;
    if (!world_) return E_UNEXPECTED;
    if (Removed()) return kDeviceRemoved;
    if (node >= Topology().Nodes().size()) return E_INVALIDARG;
    *type = NodeType(Topology().Nodes()[node]);
    KsTraceLine(*world_, "NODETYPE " + std::to_string(node));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE CreateNodeInstance(DWORD, REFIID, void** object) override {
    if (object != nullptr) *object = nullptr;
    return E_NOTIMPL;
  }

  // IPersistPropertyBag
  HRESULT STDMETHODCALLTYPE InitNew() override { return S_OK; }
  // Becomes the camera of the world whose DevicePath the bag holds.
  HRESULT STDMETHODCALLTYPE Load(IPropertyBag* bag, IErrorLog*) override {
    if (bag == nullptr) return E_POINTER;
    if (world_) return HRESULT_FROM_WIN32(ERROR_ALREADY_INITIALIZED);
    VARIANT path;
    VariantInit(&path);
    path.vt = VT_BSTR;
    const HRESULT hr = bag->Read(L"DevicePath", &path, nullptr);
    if (FAILED(hr)) return hr;
    const std::wstring devicePath = path.vt == VT_BSTR && path.bstrVal != nullptr ? path.bstrVal : L"";
    VariantClear(&path);
    const std::shared_ptr<sim::LiveWorld> world = sim::LiveWorld::Active();
    for (size_t i = 0; i < world->CameraCount(); ++i) {
      if (CameraValue(*world, i, u"DevicePath") != devicePath) continue;
      if (CameraAway(*world, i)) break;
      // Windows' camera privacy setting, off for desktop programs, refuses the opening.
      if (world->File().GetNumber(world->Camera(i).section, u"AccessDenied") == 1) {
        return E_ACCESSDENIED;
      }
      index_ = i;
      if (const sim::ZelCamera* const camera = world->Zel(i)) enumeration_ = camera->Enumerations();
      const std::u16string& section = world->Camera(i).section;
      faultingControl_ = world->File().GetNumber(section, u"FaultingControl") == 1;
      faultingTopology_ = world->File().GetNumber(section, u"FaultingTopology") == 1;
      reenumerates_ = ReenumeratesOnReset(*world, i);
      world_ = world;
      return S_OK;
    }
    return HRESULT_FROM_WIN32(ERROR_DEVICE_NOT_CONNECTED);
  }
  HRESULT STDMETHODCALLTYPE Save(IPropertyBag*, BOOL, BOOL) override { return E_NOTIMPL; }

 private:
  void* Interface(REFIID iid) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPersist) ||
        IsEqualIID(iid, IID_IMediaFilter) || IsEqualIID(iid, IID_IBaseFilter)) {
      return static_cast<IBaseFilter*>(this);
    }
    if (IsEqualIID(iid, win32::kKsControlIid)) return static_cast<IKsControlInterface*>(this);
    if (IsEqualIID(iid, win32::kKsTopologyInfoIid)) {
      return static_cast<IKsTopologyInfoInterface*>(this);
    }
    if (IsEqualIID(iid, IID_IPersistPropertyBag)) return static_cast<IPersistPropertyBag*>(this);
    return nullptr;
  }

  // A write to a page without access when the camera's key is 1: a real access violation, as
  // a filter whose driver went away raises it.
  static void FaultIf(bool faulting) {
    if (faulting) RaiseAccessViolation();
  }
  static void RaiseAccessViolation() {
    static void* const noAccess = VirtualAlloc(nullptr, 1, MEM_RESERVE | MEM_COMMIT, PAGE_NOACCESS);
    *static_cast<volatile int*>(noAccess) = 0;
  }

  // The ZEL model behind a loaded filter; null for the other models.
  sim::ZelCamera* Model() const { return world_ ? world_->Zel(index_) : nullptr; }

  const sim::Topology& Topology() const {
    if (const sim::ZelCamera* const camera = Model()) return camera->Topology();
    return world_->Camera(index_).model == "plain" ? kPlainTopology : kVendorUnitTopology;
  }

  // Answered from the topology, as the driver answers it: only the node owning the set says yes.
  HRESULT SupportQuery(uint32_t node, const uint8_t (&set)[16]) const {
    HRESULT hr = Status(sim::kStatusSetNotFound);
    if (world_->File().GetNumber(world_->Camera(index_).section, u"SupportQueries") == 0) {
      hr = HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED);
    } else if (Topology().OwnsSet(node, set)) {
      hr = S_OK;
    }
    const int unit = sim::ZelUnitOf(set);
    char status[9];
    std::snprintf(status, sizeof status, "%08lx", static_cast<unsigned long>(hr));
    KsTraceLine(*world_, "SUPPORT " + std::to_string(node) + " " +
                             (unit < 0 ? std::string("other") : "unit" + std::to_string(unit)) +
                             " " + status);
    return hr;
  }

  // The camera this filter was made for left the bus since: it is another device now.
  bool Removed() const {
    const sim::ZelCamera* const camera = Model();
    return camera != nullptr && reenumerates_ && camera->Enumerations() != enumeration_;
  }

  HRESULT SetState(FILTER_STATE state) {
    std::lock_guard<std::mutex> hold(mutex_);
    state_ = state;
    return S_OK;
  }

  // Set once by Load, before the filter is shared.
  std::shared_ptr<sim::LiveWorld> world_;
  size_t index_ = 0;
  uint64_t enumeration_ = 0;
  // The camera's keys, read by Load: reading the world file at every request would cost more
  // than the request itself.
  bool faultingControl_ = false;
  bool faultingTopology_ = false;
  bool reenumerates_ = false;
  std::atomic<bool> eventEnabled_{false};

  std::mutex mutex_;
  FILTER_STATE state_ = State_Stopped;
  win32::ComPtr<IReferenceClock> clock_;
  IFilterGraph* graph_ = nullptr;
  std::wstring name_;
};

}  // namespace

HRESULT CreateCameraFilter(REFIID iid, void** object) {
  return HandOut(new CameraFilter, iid, object);
}

}  // namespace wincam
