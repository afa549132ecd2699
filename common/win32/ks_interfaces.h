// The kernel-streaming interfaces of a capture filter, declared here because the MinGW headers
// lack IKsTopologyInfo and guard IKsControl behind kernel-mode definitions. Method order is the
// system's. They must not live in an anonymous namespace: a translation unit that only calls
// them would then see no possible implementation, and the optimiser turns such calls into calls
// of the pure-virtual handler.
#pragma once

#include <windows.h>

#include <unknwn.h>

namespace win32 {

struct IKsControlInterface : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE KsProperty(void* property, ULONG propertyLength, void* data,
                                               ULONG dataLength, ULONG* bytesReturned) = 0;
  virtual HRESULT STDMETHODCALLTYPE KsMethod(void* method, ULONG methodLength, void* data,
                                             ULONG dataLength, ULONG* bytesReturned) = 0;
  virtual HRESULT STDMETHODCALLTYPE KsEvent(void* event, ULONG eventLength, void* data,
                                            ULONG dataLength, ULONG* bytesReturned) = 0;
};

struct IKsTopologyInfoInterface : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_NumCategories(DWORD* count) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Category(DWORD index, GUID* category) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_NumConnections(DWORD* count) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_ConnectionInfo(DWORD index, void* connection) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_NodeName(DWORD node, WCHAR* name, DWORD size,
                                                 DWORD* required) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_NumNodes(DWORD* count) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_NodeType(DWORD node, GUID* type) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateNodeInstance(DWORD node, REFIID iid, void** object) = 0;
};

constexpr GUID kKsControlIid = {0x28F54685, 0x06FD, 0x11D2, {0xB2, 0x7A, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}};
constexpr GUID kKsTopologyInfoIid = {0x720D4AC0, 0x7533, 0x11D0, {0xA5, 0xD6, 0x28, 0xDB, 0x04, 0xC1, 0x00, 0x00}};
// KSNODETYPE_DEV_SPECIFIC: the node type of a USB video extension unit.
constexpr GUID kDevSpecificNode = {0x941C7AC0, 0xC559, 0x11D0, {0x8A, 0x2B, 0x00, 0xA0, 0xC9, 0x25, 0x5A, 0xC1}};

// KSEVENTSETID_VIDCAPTOSTI, event KSEVENT_VIDCAP_AUTO_UPDATE.
constexpr GUID kVidCapToStiEvents = {0xDB47DE20, 0xF628, 0x11D1, {0xBA, 0x41, 0x00, 0xA0, 0xC9, 0x0D, 0x2B, 0x05}};
constexpr ULONG kAutoUpdateEventId = 1;
constexpr ULONG kEventTypeEnable = 1;  // KSEVENT_TYPE_ENABLE
constexpr ULONG kNotifyByEventHandle = 1;  // KSEVENTF_EVENT_HANDLE

// KSP_NODE: a property request on a topology node.
struct KsNodeProperty {
  GUID set;
  ULONG id;
  ULONG flags;
  ULONG nodeId;
  ULONG reserved;
};
static_assert(sizeof(KsNodeProperty) == 32, "KSP_NODE layout");

// KSEVENT: the event a KsEvent request enables.
struct KsEventDescriptor {
  GUID set;
  ULONG id;
  ULONG flags;
};
static_assert(sizeof(KsEventDescriptor) == 24, "KSEVENT layout");

// KSEVENTDATA with event-handle notification.
struct KsEventData {
  ULONG notificationType;
  HANDLE event;
  ULONG_PTR reserved[2];
};

}  // namespace win32
