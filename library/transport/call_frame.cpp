#include "transport/call_frame.h"

#include "tandrel.h"
#include "transport/current_device.h"
#include "transport/library_lock.h"
#include "transport/xu_status.h"

namespace tandrel {

int RunXuFrame(XuControl control, const std::function<int(XuAccess&)>& body) {
  try {
    LibraryHold hold(LibraryLock());
    XuAccess access;
    if (!access.Open(CurrentDevice())) return ZEL_E_UNREACHABLE;
    access.m_nUnit = control.unit;
    access.m_nSelector = control.selector;
    return body(access);
  } catch (...) {
    return ZEL_E_DEVICE;
  }
}

int SendPayload(XuAccess& access, const XuPayload& request) {
  access.LoadData(request.data());
  if (!access.SetControl(access.m_nSelector, access.m_nLength, access.m_Data)) {
    return MapXuStatus(access.m_hrLast);
  }
  return ZEL_OK;
}

int ReceivePayload(XuAccess& access, XuPayload& reply) {
  if (!access.GetCurrent()) return MapXuStatus(access.m_hrLast);
  access.StoreData(reply.data());
  return ZEL_OK;
}

int XuWrite(XuControl control, const XuPayload& request) {
  return RunXuFrame(control, [&](XuAccess& access) { return SendPayload(access, request); });
}

int XuRequestAndRead(XuControl control, XuPayload& payload) {
  return RunXuFrame(control, [&](XuAccess& access) {
    const int sent = SendPayload(access, payload);
    return sent != ZEL_OK ? sent : ReceivePayload(access, payload);
  });
}

int XuRead(XuControl control, XuPayload& reply) {
  return RunXuFrame(control, [&](XuAccess& access) { return ReceivePayload(access, reply); });
}

int XuReadModifyWrite(XuControl control, const std::function<int(XuPayload&)>& build) {
  return RunXuFrame(control, [&](XuAccess& access) {
    XuPayload payload{};
    const int read = ReceivePayload(access, payload);
    if (read != ZEL_OK) return read;
    const int built = build(payload);
    return built != ZEL_OK ? built : SendPayload(access, payload);
  });
}

void PutLe(XuPayload& payload, size_t offset, uint32_t value, size_t width) {
  for (size_t i = 0; i < width && offset + i < payload.size(); ++i) {
    payload[offset + i] = static_cast<uint8_t>(value >> (8 * i));
  }
}

uint32_t GetLe(const XuPayload& payload, size_t offset, size_t width) {
  uint32_t value = 0;
  for (size_t i = 0; i < width && offset + i < payload.size(); ++i) {
    value |= static_cast<uint32_t>(payload[offset + i]) << (8 * i);
  }
  return value;
}

}  // namespace tandrel
