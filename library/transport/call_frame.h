// The call frame every command export runs: take the library lock, open an XuAccess on the
// current device, exchange 64-byte payloads on one control, map a failure to a result code,
// close and unlock on every way out. No exception leaves a frame.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "transport/xu_access.h"

namespace tandrel {

// The 64-byte payload of an extension-unit control; multi-byte values little-endian.
using XuPayload = std::array<uint8_t, XuAccess::kPayloadLength>;

// A control: extension unit (0 or 1) and control selector.
struct XuControl {
  uint32_t unit;
  uint32_t selector;
};

// Runs body with an XuAccess opened on the current device and aimed at control, under the
// library lock. -1 when the open fails; otherwise body's result.
int RunXuFrame(XuControl control, const std::function<int(XuAccess&)>& body);

// Steps inside a frame on the access's control: 0 or the mapped status.
int SendPayload(XuAccess& access, const XuPayload& request);
int ReceivePayload(XuAccess& access, XuPayload& reply);

// The four kinds of exchange, each a whole frame. The payload in/out arguments are written
// only on success.
int XuWrite(XuControl control, const XuPayload& request);
// payload holds the request and, on success, receives the reply.
int XuRequestAndRead(XuControl control, XuPayload& payload);
int XuRead(XuControl control, XuPayload& reply);
// Reads the control, lets build turn the reply into the payload to write (a non-zero result
// of build ends the frame with that result, nothing written) and writes it.
int XuReadModifyWrite(XuControl control, const std::function<int(XuPayload&)>& build);

// Little-endian field access inside a payload.
void PutLe(XuPayload& payload, size_t offset, uint32_t value, size_t width);
uint32_t GetLe(const XuPayload& payload, size_t offset, size_t width);

}  // namespace tandrel
