#include "control_catalog.h"

#include <cstring>
#include <iterator>
#include <limits>
#include <tuple>
#include <type_traits>
#include <utility>

#include "zel/control_table.h"
#include "tandrel.h"

namespace cli {
namespace {

using namespace zel::controls;
using zel::GroupSetting;
using zel::UnitValue;
using zel::ValueField;

template <typename F>
struct Export;
template <typename... Args>
struct Export<int (*)(Args...)> {
  static constexpr size_t kCount = sizeof...(Args);
  using Arguments = std::tuple<Args...>;
  using Targets = std::tuple<std::remove_pointer_t<Args>...>;
};

template <typename T>
constexpr uint32_t LargestOf() {
  return static_cast<uint32_t>(std::numeric_limits<T>::max());
}

// The largest of each argument of a Set export, by its type.
template <auto F, size_t... I>
constexpr ControlValues TypeLimits(std::index_sequence<I...>) {
  using Arguments = typename Export<decltype(F)>::Arguments;
  return ControlValues{LargestOf<std::tuple_element_t<I, Arguments>>()...};
}

// A field's own largest where the table names one (it may exceed what the field's bytes
// carry: the rest is cut), else what its bytes hold.
constexpr uint32_t FieldLargest(const ValueField& field) {
  if (field.largest != ValueField{}.largest) return field.largest;
  return field.width >= 4 ? UINT32_MAX : (1u << (8 * field.width)) - 1;
}

constexpr size_t FieldCount(const GroupSetting& setting) {
  size_t count = 0;
  while (count < setting.values.size() && setting.values[count].width != 0) ++count;
  return count;
}

constexpr ControlValues TableLimits(const GroupSetting& setting) {
  ControlValues limits{};
  for (size_t i = 0; i < FieldCount(setting); ++i) limits[i] = FieldLargest(setting.values[i]);
  return limits;
}

template <auto F, size_t... I>
int CallSet(const ControlValues& values, std::index_sequence<I...>) {
  using Arguments = typename Export<decltype(F)>::Arguments;
  return F(static_cast<std::tuple_element_t<I, Arguments>>(values[I])...);
}

template <auto F>
int Set(const ControlValues& values) {
  return CallSet<F>(values, std::make_index_sequence<Export<decltype(F)>::kCount>{});
}

template <auto F, size_t... I>
int CallGet(ControlValues& values, std::index_sequence<I...>) {
  typename Export<decltype(F)>::Targets targets{};
  const int result = F(&std::get<I>(targets)...);
  if (result == ZEL_OK) ((values[I] = static_cast<uint32_t>(std::get<I>(targets))), ...);
  return result;
}

template <auto F>
int Get(uint32_t /*index*/, ControlValues& values) {
  return CallGet<F>(values, std::make_index_sequence<Export<decltype(F)>::kCount>{});
}

template <auto F>
constexpr size_t kArguments = Export<decltype(F)>::kCount;

// A setting of the control table: its values' ranges are the table's.
template <const GroupSetting& S, auto SetF, auto GetF>
constexpr Control TableSetting(const char* name, const char* family) {
  static_assert(FieldCount(S) == kArguments<SetF>, "the export takes the table's values");
  return {name,  family,    kArguments<SetF>, TableLimits(S), kArguments<GetF>,
          false, Set<SetF>, Get<GetF>};
}

template <const UnitValue& U, auto SetF, auto GetF>
constexpr Control UnitSetting(const char* name) {
  static_assert(kArguments<SetF> == 1, "a unit-1 value is one value");
  return {name, "unit-1", 1,         ControlValues{FieldLargest(ValueField{0, U.width})},
          1,    false,    Set<SetF>, Get<GetF>};
}

// A setting outside the table: the export's argument types are its ranges.
template <auto SetF, auto GetF>
constexpr Control TypedSetting(const char* name, const char* family) {
  return {name,
          family,
          kArguments<SetF>,
          TypeLimits<SetF>(std::make_index_sequence<kArguments<SetF>>{}),
          kArguments<GetF>,
          false,
          Set<SetF>,
          Get<GetF>};
}

template <auto SetF>
constexpr Control TypedSetOnly(const char* name, const char* family) {
  return {name,
          family,
          kArguments<SetF>,
          TypeLimits<SetF>(std::make_index_sequence<kArguments<SetF>>{}),
          0,
          false,
          Set<SetF>,
          nullptr};
}

template <auto GetF>
constexpr Control ReadOnly(const char* name, const char* family) {
  return {name, family, 0, {}, kArguments<GetF>, false, nullptr, Get<GetF>};
}

// Exports whose arguments are records, masks or ignored slots.

int SetCroppedImage(const ControlValues& v) {
  return ZelSetCroppedImage(0, static_cast<unsigned char>(v[0]), static_cast<unsigned char>(v[1]),
                            static_cast<unsigned char>(v[2]), v[3],
                            static_cast<unsigned char>(v[4]));
}

constexpr int kAllStreamFields = 0x0F;
constexpr int kBothQualityValues = 0x0C;

int SetEncoderParams(const ControlValues& v) {
  const ZelEncoderParams params{v[0], static_cast<uint16_t>(v[1]), static_cast<uint16_t>(v[2]),
                                static_cast<uint8_t>(v[3]), static_cast<uint8_t>(v[4])};
  return ZelEncoderSetParams(&params, kAllStreamFields);
}

int GetEncoderParams(uint32_t, ControlValues& v) {
  ZelEncoderParams params{};
  const int result = ZelEncoderGetParams(&params);
  if (result == ZEL_OK)
    v = {params.bitRate, params.parameter1, params.parameter2, params.parameter3,
         params.parameter4};
  return result;
}

int SetEncoderQuality(const ControlValues& v) {
  const ZelEncoderQuality quality{0, 0, static_cast<uint8_t>(v[0]), static_cast<uint8_t>(v[1])};
  return ZelEncoderSetQuality(&quality, kBothQualityValues);
}

int GetEncoderQuality(uint32_t, ControlValues& v) {
  ZelEncoderQuality quality{};
  const int result = ZelEncoderGetQuality(&quality);
  if (result == ZEL_OK) v = {quality.valueA, quality.valueB};
  return result;
}

int GetEncoderProfile(uint32_t index, ControlValues& v) {
  int level = 0, profile = 0, flags = 0;
  const int result = ZelEncoderGetProfile(static_cast<int>(index), &level, &profile, &flags);
  if (result == ZEL_OK)
    v = {static_cast<uint32_t>(level), static_cast<uint32_t>(profile),
         static_cast<uint32_t>(flags)};
  return result;
}

int GetStreamCaps(uint32_t index, ControlValues& v) {
  ZelStreamCaps caps{};
  const int result = ZelEncoderGetStreamCaps(index, &caps);
  if (result == ZEL_OK)
    v = {caps.first, caps.second, caps.third, caps.fourth, caps.fifth, caps.sixth};
  return result;
}

int GetDeviceInfo(uint32_t, ControlValues& v) {
  NorvDeviceInfo info{};
  const int result = NorvGetDeviceInfo(&info);
  if (result == ZEL_OK) v = {info.first, info.second, info.third, info.fourth};
  return result;
}

int GetSystemInformation(uint32_t, ControlValues& v) {
  ZelSystemInfo info{};
  const int result = ZelGetSystemInfornation(&info);
  if (result == ZEL_OK)
    v = {info.first, info.second, info.third, info.fourth, info.fifth, info.sixth, info.seventh};
  return result;
}

constexpr ControlValues kCalibrateModeLargest{kCalibrationModes - 1};
constexpr ControlValues kSpecialEffectLargest{kLastSpecialEffect};
constexpr ControlValues kWhiteBalanceLimits{kWhiteBalanceLargest, kWhiteBalanceLargest,
                                            kWhiteBalanceLargest};
constexpr uint32_t kByte = 0xFF;
constexpr uint32_t kWord = 0xFFFF;
constexpr ControlValues kEncoderParamsLargest{UINT32_MAX, kWord, kWord, kByte, kByte};
constexpr ControlValues kEncoderQualityLargest{kByte, kByte};

const Control kControls[] = {
    // Device settings.
    TableSetting<kLedMode, ZelSetLedMode, ZelGetLedMode>("led-mode", "device"),
    TableSetting<kStreamFormat, ZelSetStreamFormat, ZelGetStreamFormat>("stream-format", "device"),
    TableSetting<kEncoderFrameSizeFormat, ZelSetEncoderFrameSizeFormat,
                 ZelGetEncoderFrameSizeFormat>("encoder-frame-size-format", "device"),
    TableSetting<kH264Disable, ZelSetH264Disable, ZelGetH264Disable>("h264-disable", "device"),
    TableSetting<kPanTilt, ZelSetPanTilt, ZelGetPanTilt>("pan-tilt", "device"),
    TableSetting<kShutterMode, ZelSetShutterMode, ZelGetShutterMode>("shutter-mode", "device"),
    TableSetting<kMjpgQFactor, ZelSetMjpgQFactor, ZelGetMjpgQFactor>("mjpg-q-factor", "device"),
    {"cropped-image", "device", FieldCount(kCroppedImage), TableLimits(kCroppedImage), 0, false,
     SetCroppedImage, nullptr},
    // Video processing.
    TableSetting<kRgbFormat, ZelVideoSetRGBFormat, ZelVideoGetRGBFormat>("rgb-format", "video"),
    TableSetting<kMirror, ZelVideoSetMirror, ZelVideoGetMirror>("mirror", "video"),
    TableSetting<kTemporalNoiseReduction, ZelVideoSetTemporalNoiseReduction,
                 ZelVideoGetTemporalNoiseReduction>("temporal-noise-reduction", "video"),
    TableSetting<kRateControl, ZelVideoSetRateControl, ZelVideoGetRateControl>("rate-control",
                                                                               "video"),
    TableSetting<kAutoRefresh, ZelVideoSetAutoRefresh, ZelVideoGetAutoRefresh>("auto-refresh",
                                                                               "video"),
    TableSetting<kRegionOfInterest, ZelVideoSetRegionOfInterest, ZelVideoGetRegionOfInterest>(
        "region-of-interest", "video"),
    TableSetting<kDynamicResolutionScaling, ZelVideoSetDynamicResolutionScaling,
                 ZelVideoGetDynamicResolutionScaling>("dynamic-resolution-scaling", "video"),
    TableSetting<kScalableVideoCoding, ZelVideoSetScalableVideoCoding,
                 ZelVideoGetScalableVideoCoding>("scalable-video-coding", "video"),
    TableSetting<kSimulcast, ZelVideoSetSimulcast, ZelVideoGetSimulcast>("simulcast", "video"),
    TableSetting<kStereoView, ZelVideoSetStereoView, ZelVideoGetStereoView>("stereo-view", "video"),
    // Audio processing.
    TableSetting<kAcousticNoiseReduction, ZelAudioSetAcousticNoiseReduction,
                 ZelAudioGetAcousticNoiseReduction>("acoustic-noise-reduction", "audio"),
    TableSetting<kEqualizer, ZelAudioSetEqualizer, ZelAudioGetEqualizer>("equalizer", "audio"),
    TableSetting<kBeamForming, ZelAudioSetBeamForming, ZelAudioGetBeamForming>("beam-forming",
                                                                               "audio"),
    // Extension unit 1.
    {"device-info", "unit-1", 0, {}, 4, false, nullptr, GetDeviceInfo},
    UnitSetting<kLed, NorvSetLed, NorvGetLed>("led"),
    UnitSetting<kAeMaxGain, NorvSetAeMaxGain, NorvGetAeMaxGain>("ae-max-gain"),
    UnitSetting<kAeMaxTime, NorvSetAeMaxTime, NorvGetAeMaxTime>("ae-max-time"),
    // Image tuning, flip and calibration.
    {"calibrate-mode", "tuning", 1, kCalibrateModeLargest, 0, false, Set<ZelSetCalibrateMode>,
     nullptr},
    TypedSetOnly<ZelSetCalibrateModeEx>("calibrate-mode-ex", "tuning"),
    TypedSetOnly<ZelSetCalibrateRcaLevel>("calibrate-rca-level", "tuning"),
    {"special-effect", "tuning", 1, kSpecialEffectLargest, 0, false, Set<ZelSetSpecialEffect>,
     nullptr},
    {"wb-comp", "tuning", 3, kWhiteBalanceLimits, 0, false, Set<ZelSetWBComp>, nullptr},
    TypedSetOnly<ZelSetExpComp>("exp-comp", "tuning"),
    TypedSetOnly<ZelSetAeSpeed>("ae-speed", "tuning"),
    TypedSetting<ZelSetFlipMode, ZelGetFlipMode>("flip-mode", "tuning"),
    // Encoder settings and capabilities.
    {"encoder-params", "encoder", 5, kEncoderParamsLargest, 5, false, SetEncoderParams,
     GetEncoderParams},
    TypedSetting<ZelEncoderSetGOP, ZelEncoderGetGOP>("encoder-gop", "encoder"),
    {"encoder-quality", "encoder", 2, kEncoderQualityLargest, 2, false, SetEncoderQuality,
     GetEncoderQuality},
    TypedSetting<ZelEncoderSetProfileAndLevel, ZelEncoderGetProfileAndLevel>(
        "encoder-profile-and-level", "encoder"),
    TypedSetting<ZelEncoderSetEntropy, ZelEncoderGetEntropy>("encoder-entropy", "encoder"),
    TypedSetOnly<ZelEncoderSetIFrame>("encoder-key-frame", "encoder"),
    ReadOnly<ZelEncoderGetNumberOfProfiles>("encoder-profile-count", "encoder"),
    {"encoder-profile", "encoder", 0, {}, 3, true, nullptr, GetEncoderProfile},
    ReadOnly<ZelEncoderGetNumberOfCapabilities>("encoder-capability-count", "encoder"),
    {"encoder-stream-caps", "encoder", 0, {}, 6, true, nullptr, GetStreamCaps},
    // The live system information record.
    {"system-information", "system", 0, {}, 7, false, nullptr, GetSystemInformation},
};

}  // namespace

const Control* ControlsBegin() { return std::begin(kControls); }
const Control* ControlsEnd() { return std::end(kControls); }

const Control* FindControl(const std::string& name) {
  for (const Control& control : kControls) {
    if (name == control.name) return &control;
  }
  return nullptr;
}

}  // namespace cli
