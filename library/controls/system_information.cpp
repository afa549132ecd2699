// System information: the live record the firmware reports on extension unit 0, selector 8.
#include "tandrel.h"
#include "transport/call_frame.h"

using namespace tandrel;

extern "C" TANDREL_API int ZelGetSystemInfornation(ZelSystemInfo* info) {
  if (info == nullptr) return ZEL_E_INVALID_ARG;
  XuPayload reply{};
  const int result = XuRead(XuControl{0, 8}, reply);
  if (result != ZEL_OK) return result;
  info->first = static_cast<uint16_t>(GetLe(reply, 0, 2));
  info->second = static_cast<uint16_t>(GetLe(reply, 2, 2));
  info->third = static_cast<uint16_t>(GetLe(reply, 4, 2));
  info->fourth = static_cast<uint16_t>(GetLe(reply, 6, 2));
  info->fifth = static_cast<uint16_t>(GetLe(reply, 8, 2));
  info->sixth = static_cast<uint16_t>(GetLe(reply, 10, 2));
  info->seventh = reply[12];
  return ZEL_OK;
}
