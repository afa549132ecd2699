// Audio processing on extension unit 0, selector 7: one group per setting.
#include "controls/control_families.h"
#include "zel/control_table.h"
#include "tandrel.h"

using namespace tandrel;
using namespace zel::controls;

extern "C" TANDREL_API int ZelAudioSetAcousticNoiseReduction(unsigned char value) {
  return SetGroupValues(kAcousticNoiseReduction, {value});
}

extern "C" TANDREL_API int ZelAudioGetAcousticNoiseReduction(unsigned char* value) {
  return GetGroupValues(kAcousticNoiseReduction, {value});
}

extern "C" TANDREL_API int ZelAudioSetEqualizer(unsigned char first, unsigned char second) {
  return SetGroupValues(kEqualizer, {first, second});
}

extern "C" TANDREL_API int ZelAudioGetEqualizer(unsigned char* first, unsigned char* second) {
  return GetGroupValues(kEqualizer, {first, second});
}

extern "C" TANDREL_API int ZelAudioSetBeamForming(unsigned char value) {
  return SetGroupValues(kBeamForming, {value});
}

extern "C" TANDREL_API int ZelAudioGetBeamForming(unsigned char* value) {
  return GetGroupValues(kBeamForming, {value});
}
