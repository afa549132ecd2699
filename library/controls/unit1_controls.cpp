// The controls of extension unit 1: device information, LED, AE maximum gain and time. The
// payload is the value itself; reads are plain reads.
#include "controls/control_families.h"
#include "zel/control_table.h"
#include "tandrel.h"

using namespace tandrel;
using namespace zel::controls;

extern "C" TANDREL_API int NorvGetDeviceInfo(NorvDeviceInfo* info) {
  if (info == nullptr) return ZEL_E_INVALID_ARG;
  XuPayload reply{};
  const int result = XuRead(XuControl{1, 1}, reply);
  if (result != ZEL_OK) return result;
  info->first = static_cast<uint16_t>(GetLe(reply, 0, 2));
  info->second = static_cast<uint16_t>(GetLe(reply, 2, 2));
  info->third = GetLe(reply, 4, 4);
  info->fourth = reply[8];
  return ZEL_OK;
}

extern "C" TANDREL_API int NorvGetLed(unsigned char* value) { return GetUnitValue(kLed, value); }

extern "C" TANDREL_API int NorvSetLed(unsigned char value) { return SetUnitValue(kLed, value); }

extern "C" TANDREL_API int NorvGetAeMaxGain(unsigned char* value) {
  return GetUnitValue(kAeMaxGain, value);
}

extern "C" TANDREL_API int NorvSetAeMaxGain(unsigned char value) {
  return SetUnitValue(kAeMaxGain, value);
}

extern "C" TANDREL_API int NorvGetAeMaxTime(unsigned short* value) {
  return GetUnitValue(kAeMaxTime, value);
}

extern "C" TANDREL_API int NorvSetAeMaxTime(unsigned short value) {
  return SetUnitValue(kAeMaxTime, value);
}
