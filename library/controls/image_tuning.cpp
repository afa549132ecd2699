// Image tuning on extension unit 0, selector 4: byte 0 is a command code; reading the flip
// bits is a command of its own followed by a read.
#include <iterator>

#include "zel/control_table.h"
#include "tandrel.h"
#include "transport/call_frame.h"

using namespace tandrel;
using namespace zel::controls;

namespace {

constexpr XuControl kTuning{0, 4};
constexpr uint8_t kCalibrate = 0x60;
constexpr uint8_t kRcaLevel = 0x70;
constexpr uint8_t kSpecialEffect = 0x80;
constexpr uint8_t kWhiteBalance = 0xC1;
constexpr uint8_t kExposure = 0xC2;
constexpr uint8_t kAeSpeed = 0xC4;
constexpr uint8_t kFlipSet = 0xE0;
constexpr uint8_t kFlipRequest = 0xE1;
constexpr uint8_t kFlipFirst = 0x01;
constexpr uint8_t kFlipSecond = 0x02;

// Flag bytes 1 and 2 of each calibration mode.
constexpr uint8_t kCalibrationFlags[kCalibrationModes][2] = {{1, 1}, {0, 1}, {1, 0}, {0, 0}};

XuPayload Command(uint8_t code) {
  XuPayload payload{};
  payload[0] = code;
  return payload;
}

}  // namespace

extern "C" TANDREL_API int ZelSetCalibrateMode(int mode) {
  if (mode < 0 || mode >= static_cast<int>(std::size(kCalibrationFlags))) return ZEL_E_INVALID_ARG;
  XuPayload payload = Command(kCalibrate);
  payload[1] = kCalibrationFlags[mode][0];
  payload[2] = kCalibrationFlags[mode][1];
  return XuWrite(kTuning, payload);
}

extern "C" TANDREL_API int ZelSetCalibrateModeEx(unsigned int value, unsigned char code) {
  XuPayload payload = Command(static_cast<uint8_t>(kCalibrate | code));
  PutLe(payload, 1, value, 4);
  return XuWrite(kTuning, payload);
}

extern "C" TANDREL_API int ZelSetCalibrateRcaLevel(unsigned char level) {
  XuPayload payload = Command(kRcaLevel);
  payload[5] = level;
  return XuWrite(kTuning, payload);
}

extern "C" TANDREL_API int ZelSetSpecialEffect(int effect) {
  // Signed comparison: -1 passes and is sent as 0xFF.
  if (effect > kLastSpecialEffect) return ZEL_E_INVALID_ARG;
  XuPayload payload = Command(kSpecialEffect);
  payload[1] = static_cast<uint8_t>(effect);
  return XuWrite(kTuning, payload);
}

extern "C" TANDREL_API int ZelSetWBComp(unsigned int first, unsigned int second,
                                        unsigned int third) {
  XuPayload payload = Command(kWhiteBalance);
  const unsigned int values[] = {first, second, third};
  uint8_t highBits = 0;
  for (size_t i = 0; i < std::size(values); ++i) {
    PutLe(payload, 1 + 2 * i, values[i], 2);
    // Bits 16-17 of each value, two bits per value in byte 7.
    highBits |= static_cast<uint8_t>(((values[i] >> 16) & 3u) << (2 * i));
  }
  payload[7] = highBits;
  return XuWrite(kTuning, payload);
}

extern "C" TANDREL_API int ZelSetExpComp(unsigned int first, unsigned short second) {
  XuPayload payload = Command(kExposure);
  PutLe(payload, 9, first, 4);
  PutLe(payload, 13, second, 2);
  return XuWrite(kTuning, payload);
}

extern "C" TANDREL_API int ZelSetAeSpeed(unsigned short first, unsigned char second) {
  XuPayload payload = Command(kAeSpeed);
  PutLe(payload, 15, first, 2);
  payload[17] = second;
  return XuWrite(kTuning, payload);
}

extern "C" TANDREL_API int ZelSetFlipMode(unsigned char first, unsigned char second) {
  XuPayload payload = Command(kFlipSet);
  payload[1] = static_cast<uint8_t>((first != 0 ? kFlipFirst : 0) | (second != 0 ? kFlipSecond : 0));
  return XuWrite(kTuning, payload);
}

extern "C" TANDREL_API int ZelGetFlipMode(unsigned char* first, unsigned char* second) {
  if (first == nullptr || second == nullptr) return ZEL_E_INVALID_ARG;
  XuPayload payload = Command(kFlipRequest);
  const int result = XuRequestAndRead(kTuning, payload);
  if (result != ZEL_OK) return result;
  *first = (payload[1] & kFlipFirst) != 0 ? 1 : 0;
  *second = (payload[1] & kFlipSecond) != 0 ? 1 : 0;
  return ZEL_OK;
}
