// Every setting of a ZEL camera's regular control families: its control, group and value bytes.
#pragma once

#include "zel/setting_layout.h"

namespace zel::controls {

constexpr uint8_t kDeviceSettings = 5;
constexpr uint8_t kVideoProcessing = 6;
constexpr uint8_t kAudioProcessing = 7;

constexpr ValueField kByte2{2, 1};
constexpr ValueField kByte3{3, 1};
constexpr ValueField kByte4{4, 1};

// Device settings (group 0 of this selector is the encoder's capability queries).
constexpr GroupSetting kLedMode{kDeviceSettings, 1, {kByte2}};
constexpr GroupSetting kStreamFormat{kDeviceSettings, 2, {kByte2}, true, 1};
constexpr GroupSetting kEncoderFrameSizeFormat{kDeviceSettings, 3, {kByte2}, true, 0};
constexpr GroupSetting kH264Disable{kDeviceSettings, 4, {kByte2}};
constexpr GroupSetting kPanTilt{kDeviceSettings, 5, {ValueField{2, 2}, ValueField{4, 2}}};
constexpr GroupSetting kShutterMode{kDeviceSettings, 6, {kByte2}};
constexpr GroupSetting kMjpgQFactor{kDeviceSettings, 7, {kByte2}};
// The fifth value is checked whole but only its low byte is sent.
constexpr GroupSetting kCroppedImage{
    kDeviceSettings, 8, {kByte2, kByte3, kByte4, ValueField{5, 1, 480}, ValueField{6, 1}}};

// Video processing.
constexpr GroupSetting kRgbFormat{kVideoProcessing, 0, {kByte2, kByte3, kByte4}};
constexpr GroupSetting kMirror{kVideoProcessing, 1, {kByte2}};
constexpr GroupSetting kTemporalNoiseReduction{kVideoProcessing, 2, {kByte2}};
constexpr GroupSetting kRateControl{kVideoProcessing, 3, {kByte2, kByte3, kByte4}};
constexpr GroupSetting kAutoRefresh{kVideoProcessing, 4, {kByte2, ValueField{3, 2}, ValueField{5, 1}}};
constexpr GroupSetting kRegionOfInterest{
    kVideoProcessing, 5, {kByte2, ValueField{3, 4}, ValueField{7, 4}, ValueField{11, 4}}};
constexpr GroupSetting kDynamicResolutionScaling{kVideoProcessing, 6, {kByte2}};
constexpr GroupSetting kScalableVideoCoding{kVideoProcessing, 7, {kByte2, kByte3}};
constexpr GroupSetting kSimulcast{kVideoProcessing, 8, {kByte2, kByte3}};
constexpr GroupSetting kStereoView{kVideoProcessing, 9, {kByte2}};

// Audio processing.
constexpr GroupSetting kAcousticNoiseReduction{kAudioProcessing, 0, {kByte2}};
constexpr GroupSetting kEqualizer{kAudioProcessing, 1, {kByte2, kByte3}};
constexpr GroupSetting kBeamForming{kAudioProcessing, 2, {kByte2}};

// Extension unit 1 (selector 1, the device information record, is read whole).
constexpr UnitValue kLed{2, 1};
constexpr UnitValue kAeMaxGain{3, 1};
constexpr UnitValue kAeMaxTime{4, 2};

// Image tuning (selector 4): the arguments its exports accept.
constexpr int kCalibrationModes = 4;
constexpr int kLastSpecialEffect = 10;
// White-balance values travel in 18 bits: 16 in their own field, 2 in a shared byte.
constexpr uint32_t kWhiteBalanceLargest = 0x3FFFF;

}  // namespace zel::controls
