// Device settings on extension unit 0, selector 5: LED mode, stream and frame-size formats,
// H.264 disable, pan and tilt, shutter mode, MJPEG quality factor and the cropped image.
#include "controls/control_families.h"
#include "zel/control_table.h"
#include "tandrel.h"

using namespace tandrel;
using namespace zel::controls;

extern "C" TANDREL_API int ZelSetLedMode(unsigned char mode) {
  return SetGroupValues(kLedMode, {mode});
}

extern "C" TANDREL_API int ZelGetLedMode(unsigned char* mode) {
  return GetGroupValues(kLedMode, {mode});
}

extern "C" TANDREL_API int ZelSetStreamFormat(unsigned char format) {
  return SetGroupValues(kStreamFormat, {format});
}

extern "C" TANDREL_API int ZelGetStreamFormat(int* format) {
  return GetGroupValues(kStreamFormat, {format});
}

extern "C" TANDREL_API int ZelSetEncoderFrameSizeFormat(unsigned char format) {
  return SetGroupValues(kEncoderFrameSizeFormat, {format});
}

extern "C" TANDREL_API int ZelGetEncoderFrameSizeFormat(unsigned char* format) {
  return GetGroupValues(kEncoderFrameSizeFormat, {format});
}

extern "C" TANDREL_API int ZelSetH264Disable(unsigned char value) {
  return SetGroupValues(kH264Disable, {value});
}

extern "C" TANDREL_API int ZelGetH264Disable(unsigned char* value) {
  return GetGroupValues(kH264Disable, {value});
}

extern "C" TANDREL_API int ZelSetPanTilt(unsigned short pan, unsigned short tilt) {
  return SetGroupValues(kPanTilt, {pan, tilt});
}

extern "C" TANDREL_API int ZelGetPanTilt(unsigned short* pan, unsigned short* tilt) {
  return GetGroupValues(kPanTilt, {pan, tilt});
}

extern "C" TANDREL_API int ZelSetShutterMode(unsigned char mode) {
  return SetGroupValues(kShutterMode, {mode});
}

extern "C" TANDREL_API int ZelGetShutterMode(unsigned char* mode) {
  return GetGroupValues(kShutterMode, {mode});
}

extern "C" TANDREL_API int ZelSetMjpgQFactor(unsigned char factor) {
  return SetGroupValues(kMjpgQFactor, {factor});
}

extern "C" TANDREL_API int ZelGetMjpgQFactor(unsigned char* factor) {
  return GetGroupValues(kMjpgQFactor, {factor});
}

extern "C" TANDREL_API int ZelSetCroppedImage(int /*first*/, unsigned char second,
                                              unsigned char third, unsigned char fourth,
                                              unsigned int fifth, unsigned char sixth) {
  return SetGroupValues(kCroppedImage, {second, third, fourth, fifth, sixth});
}
