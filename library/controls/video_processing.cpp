// Video processing on extension unit 0, selector 6: one group per setting.
#include "controls/control_families.h"
#include "zel/control_table.h"
#include "tandrel.h"

using namespace tandrel;
using namespace zel::controls;

extern "C" TANDREL_API int ZelVideoSetRGBFormat(unsigned char first, unsigned char second,
                                                unsigned char third) {
  return SetGroupValues(kRgbFormat, {first, second, third});
}

extern "C" TANDREL_API int ZelVideoGetRGBFormat(unsigned char* first, unsigned char* second,
                                                unsigned char* third) {
  return GetGroupValues(kRgbFormat, {first, second, third});
}

extern "C" TANDREL_API int ZelVideoSetMirror(unsigned char value) {
  return SetGroupValues(kMirror, {value});
}

extern "C" TANDREL_API int ZelVideoGetMirror(unsigned char* value) {
  return GetGroupValues(kMirror, {value});
}

extern "C" TANDREL_API int ZelVideoSetTemporalNoiseReduction(unsigned char value) {
  return SetGroupValues(kTemporalNoiseReduction, {value});
}

extern "C" TANDREL_API int ZelVideoGetTemporalNoiseReduction(unsigned char* value) {
  return GetGroupValues(kTemporalNoiseReduction, {value});
}

extern "C" TANDREL_API int ZelVideoSetRateControl(unsigned char first, unsigned char second,
                                                  unsigned char third) {
  return SetGroupValues(kRateControl, {first, second, third});
}

extern "C" TANDREL_API int ZelVideoGetRateControl(unsigned char* first, unsigned char* second,
                                                  unsigned char* third) {
  return GetGroupValues(kRateControl, {first, second, third});
}

extern "C" TANDREL_API int ZelVideoSetAutoRefresh(unsigned char first, unsigned short second,
                                                  unsigned char third) {
  return SetGroupValues(kAutoRefresh, {first, second, third});
}

extern "C" TANDREL_API int ZelVideoGetAutoRefresh(unsigned char* first, unsigned short* second,
                                                  unsigned char* third) {
  return GetGroupValues(kAutoRefresh, {first, second, third});
}

extern "C" TANDREL_API int ZelVideoSetRegionOfInterest(unsigned char first, unsigned int second,
                                                       unsigned int third, unsigned int fourth) {
  return SetGroupValues(kRegionOfInterest, {first, second, third, fourth});
}

extern "C" TANDREL_API int ZelVideoGetRegionOfInterest(unsigned char* first, unsigned int* second,
                                                       unsigned int* third, unsigned int* fourth) {
  return GetGroupValues(kRegionOfInterest, {first, second, third, fourth});
}

extern "C" TANDREL_API int ZelVideoSetDynamicResolutionScaling(unsigned char value) {
  return SetGroupValues(kDynamicResolutionScaling, {value});
}

extern "C" TANDREL_API int ZelVideoGetDynamicResolutionScaling(unsigned char* value) {
  return GetGroupValues(kDynamicResolutionScaling, {value});
}

extern "C" TANDREL_API int ZelVideoSetScalableVideoCoding(unsigned char first,
                                                          unsigned char second) {
  return SetGroupValues(kScalableVideoCoding, {first, second});
}

extern "C" TANDREL_API int ZelVideoGetScalableVideoCoding(unsigned char* first,
                                                          unsigned char* second) {
  return GetGroupValues(kScalableVideoCoding, {first, second});
}

extern "C" TANDREL_API int ZelVideoSetSimulcast(unsigned char first, unsigned char second) {
  return SetGroupValues(kSimulcast, {first, second});
}

extern "C" TANDREL_API int ZelVideoGetSimulcast(unsigned char* first, unsigned char* second) {
  return GetGroupValues(kSimulcast, {first, second});
}

extern "C" TANDREL_API int ZelVideoSetStereoView(unsigned char value) {
  return SetGroupValues(kStereoView, {value});
}

extern "C" TANDREL_API int ZelVideoGetStereoView(unsigned char* value) {
  return GetGroupValues(kStereoView, {value});
}
