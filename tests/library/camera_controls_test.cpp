// Every export of the camera controls, one table: arguments in, the payloads the camera saw
// (from the trace), reply bytes in (canned or the model's state), outputs out. Each case also
// runs without a camera, and each leaves the library lock free.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <future>
#include <map>
#include <sstream>
#include <tuple>

#include "sim_world_fixture.h"
#include "tandrel.h"
#include "transport/library_lock.h"

namespace tandrel::testing {
namespace {

constexpr char kOk[] = "00000000";
constexpr char kInvalidParameter[] = "80070057";
constexpr char kNotReady[] = "80070015";

// Outputs start as this pattern; Show prints "-" for a value still holding it.
template <typename T>
T Untouched() {
  T value;
  std::memset(&value, 0xA5, sizeof value);
  return value;
}

template <typename... T>
std::string Show(T... values);

template <typename T>
std::string ShowOne(T value) {
  const T untouched = Untouched<T>();
  if (std::memcmp(&value, &untouched, sizeof value) == 0) return "-";
  return std::to_string(+value);
}
std::string ShowOne(ZelEncoderParams p) {
  return Show(p.bitRate, p.parameter1, p.parameter2, p.parameter3, p.parameter4);
}
std::string ShowOne(ZelEncoderQuality q) {
  return Show(q.reserved1, q.reserved2, q.valueA, q.valueB);
}
std::string ShowOne(ZelStreamCaps c) {
  return Show(c.first, c.second, c.third, c.fourth, c.fifth, c.sixth);
}
std::string ShowOne(NorvDeviceInfo i) { return Show(i.first, i.second, i.third, i.fourth); }

template <typename... T>
std::string Show(T... values) {
  std::string shown;
  ((shown += (shown.empty() ? "" : " ") + ShowOne(values)), ...);
  return shown;
}

// Runs an export and shows its outputs.
using Runner = std::function<int(std::string& outputs)>;

// An export called with these arguments, converted to its parameters at the call as a C
// caller's int converts to an 8-bit parameter; it has no outputs to show.
template <typename... P, typename... A>
Runner Call(int (*exported)(P...), A... arguments) {
  return [=](std::string&) { return exported(arguments...); };
}

// A getter: every output starts untouched and is shown. exported takes the outputs.
template <typename... T, typename Export>
Runner ShowOutputs(Export exported) {
  return [=](std::string& shown) {
    std::tuple<T...> outputs{Untouched<T>()...};
    const int result = std::apply([&](T&... out) { return exported(&out...); }, outputs);
    shown = std::apply([](const T&... out) { return Show(out...); }, outputs);
    return result;
  };
}
template <typename... T>
Runner Read(int (*exported)(T*...)) {
  return ShowOutputs<T...>(exported);
}
// A getter with one leading argument.
template <typename A, typename... T>
Runner Read(int (*exported)(A, T*...), A leading) {
  return ShowOutputs<T...>([=](T*... out) { return exported(leading, out...); });
}

// A set, then a get whose outputs are shown: what was set reads back.
Runner Then(Runner first, Runner second) {
  return [=](std::string& shown) {
    first(shown);
    return second(shown);
  };
}

// Leading payload hex with the given bytes at their offsets, zeros between.
std::string Bytes(const std::map<size_t, std::string>& at) {
  std::string hex;
  for (const auto& [offset, bytes] : at) {
    hex.resize(2 * offset, '0');
    hex += bytes;
  }
  return hex;
}

std::string Line(const char* op, int unit, int selector, const std::string& hex,
                 const std::string& status) {
  return std::string(op) + " " + std::to_string(unit) + " " + std::to_string(selector) + " 64 " +
         (hex == "-" ? hex : Payload(hex)) + " " + status;
}
std::string Set(int unit, int selector, const std::string& hex, const std::string& status = kOk) {
  return Line("SET", unit, selector, hex, status);
}
std::string Get(int unit, int selector, const std::string& hex) {
  return Line("GET", unit, selector, hex, kOk);
}
std::string FailedGet(int unit, int selector, const std::string& status) {
  return Line("GET", unit, selector, "-", status);
}

// Encoder settings records: version, then bit rate 4000000, parameters 1920, 1080, 30, 0,
// GOP 30, profile index 3, level index 12, byte 16, entropy, quality 26 and 36, then three
// bytes a format probe carries over.
std::string Record(const std::string& version, const std::string& byte16 = "00",
                   const std::string& entropy = "00") {
  return version + "00093d00800738041e00001e00030c" + byte16 + entropy + "001a24a1b2c3";
}
// A version-0xFF record naming bit-rate index `index`.
std::string IndexedRecord(const std::string& index) {
  return "ff" + index + "800738041e07" + "00000000" + "1e00030c" + "0000001a24";
}
std::string Keys(const std::string& record) { return "EncoderRecord=" + record; }

const std::string kV3 = Record("03");
const std::string kV2 = Record("02");
const std::string kV5 = Record("05", "00", "02");
const std::string kV2Taken = Record("02", "01");
const std::string kV1Taken = Record("01", "01");

struct ControlCase {
  const char* name;
  std::string keys;  // keys of the camera's section, one per line
  Runner call;
  int result;
  std::vector<std::string> exchanges;  // SET and GET lines of the trace
  std::string outputs;
  // Without a camera: the result, and the outputs when not all untouched.
  int withoutCamera = ZEL_E_UNREACHABLE;
  std::string outputsWithoutCamera = "";
};

const ZelEncoderParams kHd{3000000, 0x0500, 0x02D0, 25, 7};
const ZelEncoderParams kTrickle{100000, 0, 0, 0, 0};
const ZelEncoderParams kAsRecorded{4000000, 1920, 1080, 30, 0};
const ZelEncoderParams kVga{1000000, 640, 480, 15, 2};
const ZelEncoderQuality kQuality{0x11111111, 0x22, 40, 50};
int gScratch = 0;

const ControlCase kCases[] = {
    // ---- Encoder: stream parameters ----
    {"SetParamsCarriesTheBitRateWhole", Keys(kV3), Call(ZelEncoderSetParams, &kHd, 0x13), ZEL_OK,
     {Get(0, 1, kV3), Set(0, 1, "03" "c0c62d00" "0005" "d002" "19" "07")}, ""},
    {"SetParamsOnAnIndexedRecordSendsTheBitRateIndex", Keys(IndexedRecord("02")),
     Call(ZelEncoderSetParams, &kHd, 0xFF), ZEL_OK,
     {Get(0, 1, IndexedRecord("02")), Set(0, 1, "0f" "03" "0005d0021907")}, ""},
    {"SetParamsBelowEveryBitRateSendsIndexZero", Keys(IndexedRecord("02")),
     Call(ZelEncoderSetParams, &kTrickle, 1), ZEL_OK,
     {Get(0, 1, IndexedRecord("02")), Set(0, 1, "01")}, ""},
    {"SetParamsRefusedButTakenReportsOne", Keys(kV2Taken),
     Call(ZelEncoderSetParams, &kAsRecorded, 1), 1,
     {Get(0, 1, kV2Taken), Set(0, 1, "01" "00093d00800738041e00", kInvalidParameter),
      Get(0, 1, kV2Taken)},
     ""},
    {"SetParamsRefusedOnVersionOneIsInvalid", Keys(kV1Taken),
     Call(ZelEncoderSetParams, &kAsRecorded, 1), ZEL_E_INVALID_ARG,
     {Get(0, 1, kV1Taken), Set(0, 1, "01" "00093d00800738041e00", kInvalidParameter),
      Get(0, 1, kV1Taken)},
     ""},
    {"SetParamsOtherFailureIsMapped", Keys(kV2Taken) + "\nFailSet0.1=0x8007001F",
     Call(ZelEncoderSetParams, &kAsRecorded, 1), ZEL_E_DEVICE,
     {Get(0, 1, kV2Taken), Set(0, 1, "01" "00093d00800738041e00", "8007001f"),
      Get(0, 1, kV2Taken)},
     ""},
    {"SetParamsRefusesNull", "", Call(ZelEncoderSetParams, nullptr, 1), ZEL_E_INVALID_ARG, {}, "",
     ZEL_E_INVALID_ARG},
    {"GetParamsOfAPlainRecord", Keys(kV3), Read(ZelEncoderGetParams), ZEL_OK, {Get(0, 1, kV3)},
     "4000000 1920 1080 30 0"},
    {"GetParamsOfAnIndexedRecord", Keys(IndexedRecord("06")), Read(ZelEncoderGetParams), ZEL_OK,
     {Get(0, 1, IndexedRecord("06"))}, "256000 1920 1080 30 7"},
    {"GetParamsIndexOfTheTerminatorReadsZero", Keys(IndexedRecord("07")),
     Read(ZelEncoderGetParams), ZEL_OK, {Get(0, 1, IndexedRecord("07"))}, "0 1920 1080 30 7"},
    {"GetParamsIndexPastTheTableIsADeviceFault", Keys(IndexedRecord("08")),
     Read(ZelEncoderGetParams), ZEL_E_DEVICE, {Get(0, 1, IndexedRecord("08"))}, "- - - - -"},
    {"GetParamsReadFailure", "FailGet0.1=0x80070015", Read(ZelEncoderGetParams), ZEL_E_NOT_READY,
     {FailedGet(0, 1, kNotReady)}, "- - - - -"},
    {"ParamsReadBack", Keys(IndexedRecord("02")),
     Then(Call(ZelEncoderSetParams, &kVga, 0x0F), Read(ZelEncoderGetParams)), ZEL_OK,
     {Get(0, 1, IndexedRecord("02")), Set(0, 1, "0f" "04" "8002e0010f02"),
      Get(0, 1, "ff04" "8002e0010f02" "00000000" "1e00030c" "0000001a24")},
     "1000000 640 480 15 2"},

    // ---- Encoder: key frame, GOP ----
    {"SetIFrame", "", Call(ZelEncoderSetIFrame), ZEL_OK, {Set(0, 1, Bytes({{0, "10"}, {11, "01"}}))},
     ""},
    {"SetGop", "", Call(ZelEncoderSetGOP, 0x1234), ZEL_OK,
     {Set(0, 1, Bytes({{0, "20"}, {12, "3412"}}))}, ""},
    {"GetGop", Keys(kV3), Read(ZelEncoderGetGOP), ZEL_OK, {Get(0, 1, kV3)}, "30"},
    {"GopReadBack", Keys(kV3), Then(Call(ZelEncoderSetGOP, 0xFFFF), Read(ZelEncoderGetGOP)), ZEL_OK,
     {Set(0, 1, Bytes({{0, "20"}, {12, "ffff"}})),
      Get(0, 1, "0300093d00800738041e0000ffff030c0000001a24a1b2c3")},
     "65535"},
    {"GetGopRefusesNull", "", Call(ZelEncoderGetGOP, nullptr), ZEL_E_INVALID_ARG, {}, "",
     ZEL_E_INVALID_ARG},

    // ---- Encoder: quality (below version 5) and entropy (from version 5) ----
    {"GetQualityBelowVersionFive", Keys(kV3), Read(ZelEncoderGetQuality), ZEL_OK, {Get(0, 1, kV3)},
     "0 0 26 36"},
    {"GetQualityFromVersionFiveReportsZeros", Keys(kV5), Read(ZelEncoderGetQuality),
     ZEL_E_NOT_SUPPORTED, {Get(0, 1, kV5)}, "0 0 0 0"},
    {"SetQualityTakesTheMaskedValue", Keys(kV3), Call(ZelEncoderSetQuality, &kQuality, 0x04),
     ZEL_OK, {Get(0, 1, kV3), Get(0, 1, kV3), Set(0, 1, Bytes({{0, "40"}, {19, "2824"}}))}, ""},
    {"SetQualityWithMaskZeroRewritesTheCurrentValues", Keys(kV3),
     Call(ZelEncoderSetQuality, &kQuality, 0), ZEL_OK,
     {Get(0, 1, kV3), Get(0, 1, kV3), Set(0, 1, Bytes({{0, "40"}, {19, "1a24"}}))}, ""},
    {"SetQualityFromVersionFiveIsNotSupported", Keys(kV5),
     Call(ZelEncoderSetQuality, &kQuality, 0x0C), ZEL_E_NOT_SUPPORTED, {Get(0, 1, kV5)}, ""},
    {"SetQualityRefusesNull", "", Call(ZelEncoderSetQuality, nullptr, 0x0C), ZEL_E_INVALID_ARG, {},
     "", ZEL_E_INVALID_ARG},
    {"QualityReadBack", Keys(kV3),
     Then(Call(ZelEncoderSetQuality, &kQuality, 0x0C), Read(ZelEncoderGetQuality)), ZEL_OK,
     {Get(0, 1, kV3), Get(0, 1, kV3), Set(0, 1, Bytes({{0, "40"}, {19, "2832"}})),
      Get(0, 1, "0300093d00800738041e00001e00030c0000002832a1b2c3")},
     "0 0 40 50"},
    {"GetEntropyBelowVersionFiveIsZero", Keys(kV3), Read(ZelEncoderGetEntropy), ZEL_OK,
     {Get(0, 1, kV3)}, "0"},
    {"GetEntropyFromVersionFive", Keys(kV5), Read(ZelEncoderGetEntropy), ZEL_OK, {Get(0, 1, kV5)},
     "2"},
    {"SetEntropyFromVersionFiveSendsTheLowByte", Keys(kV5), Call(ZelEncoderSetEntropy, 0x101),
     ZEL_OK, {Get(0, 1, kV5), Set(0, 1, Bytes({{0, "40"}, {17, "01"}}))}, ""},
    {"SetEntropyBelowVersionFiveIsNotSupported", Keys(kV3), Call(ZelEncoderSetEntropy, 1),
     ZEL_E_NOT_SUPPORTED, {Get(0, 1, kV3)}, ""},
    {"EntropyReadBack", Keys(kV5), Then(Call(ZelEncoderSetEntropy, 1), Read(ZelEncoderGetEntropy)),
     ZEL_OK,
     {Get(0, 1, kV5), Set(0, 1, Bytes({{0, "40"}, {17, "01"}})),
      Get(0, 1, "0500093d00800738041e00001e00030c0001001a24a1b2c3")},
     "1"},

    // ---- Encoder: profiles and levels ----
    {"NumberOfProfilesOnVariantA", "", Read(ZelEncoderGetNumberOfProfiles), ZEL_OK,
     {Set(0, 2, "0000000006"), Get(0, 2, "000000000601080" "20a")}, "1", ZEL_OK, "3"},
    {"NumberOfProfilesOnOtherChips", "ChipId=0x12345678", Read(ZelEncoderGetNumberOfProfiles),
     ZEL_OK, {Set(0, 2, "0000000006"), Get(0, 2, "000000000678563412")}, "3", ZEL_OK, "3"},
    {"NumberOfProfilesRefusesNull", "", Call(ZelEncoderGetNumberOfProfiles, nullptr),
     ZEL_E_INVALID_ARG, {}, "", ZEL_E_INVALID_ARG},
    {"ProfileZeroOnVariantA", "", Read(ZelEncoderGetProfile, 0), ZEL_OK,
     {Set(0, 2, "0000000006"), Get(0, 2, "000000000601080" "20a")}, "31 66 7", ZEL_OK, "31 66 7"},
    {"ProfileOneOnVariantAIsRefused", "", Read(ZelEncoderGetProfile, 1), ZEL_E_INVALID_ARG,
     {Set(0, 2, "0000000006"), Get(0, 2, "000000000601080" "20a")}, "- - -", ZEL_OK, "31 77 7"},
    {"ProfileTwoOnOtherChips", "ChipId=0x12345678", Read(ZelEncoderGetProfile, 2), ZEL_OK,
     {Set(0, 2, "0000000006"), Get(0, 2, "000000000678563412")}, "31 100 7", ZEL_OK, "31 100 7"},
    {"ProfileThreeIsRefused", "ChipId=0x12345678", Read(ZelEncoderGetProfile, 3),
     ZEL_E_INVALID_ARG, {Set(0, 2, "0000000006"), Get(0, 2, "000000000678563412")}, "- - -",
     ZEL_E_INVALID_ARG},
    {"ProfileRefusesNull", "", Call(ZelEncoderGetProfile, 0, &gScratch, &gScratch, nullptr),
     ZEL_E_INVALID_ARG, {}, "", ZEL_E_INVALID_ARG},
    {"GetProfileAndLevel", Keys(kV3), Read(ZelEncoderGetProfileAndLevel), ZEL_OK, {Get(0, 1, kV3)},
     "41 100 7"},
    {"ProfileIndexPastTheTableIsADeviceFault", Keys("0300093d00800738041e00001e00080c"),
     Read(ZelEncoderGetProfileAndLevel), ZEL_E_DEVICE,
     {Get(0, 1, "0300093d00800738041e00001e00080c")}, "- - -"},
    {"LevelIndexPastTheTableIsADeviceFault", Keys("0300093d00800738041e00001e000310"),
     Read(ZelEncoderGetProfileAndLevel), ZEL_E_DEVICE,
     {Get(0, 1, "0300093d00800738041e00001e000310")}, "- - -"},
    {"GetProfileAndLevelRefusesNull", "",
     Call(ZelEncoderGetProfileAndLevel, nullptr, &gScratch, &gScratch), ZEL_E_INVALID_ARG, {}, "",
     ZEL_E_INVALID_ARG},
    {"ProfileAndLevelOneBReadBack", Keys(kV3),
     Then(Call(ZelEncoderSetProfileAndLevel, 19, 66), Read(ZelEncoderGetProfileAndLevel)), ZEL_OK,
     {Set(0, 1, Bytes({{0, "80"}, {14, "0001"}})),
      Get(0, 1, "0300093d00800738041e00001e0000010000001a24a1b2c3")},
     "19 66 15"},
    {"SetProfileAndLevelRefusedButTakenIsSuccess", Keys(kV2Taken),
     Call(ZelEncoderSetProfileAndLevel, 41, 100), ZEL_OK,
     {Set(0, 1, Bytes({{0, "80"}, {14, "030c"}}), kInvalidParameter), Get(0, 1, kV2Taken)}, ""},
    {"SetProfileAndLevelRefusesAProfileOutsideItsTable", "",
     Call(ZelEncoderSetProfileAndLevel, 30, 30), ZEL_E_INVALID_ARG, {}, "", ZEL_E_INVALID_ARG},
    {"SetProfileAndLevelRefusesALevelOutsideItsTable", "",
     Call(ZelEncoderSetProfileAndLevel, 52, 66), ZEL_E_INVALID_ARG, {}, "", ZEL_E_INVALID_ARG},

    // ---- Encoder: capabilities ----
    {"NumberOfCapabilities", "", Read(ZelEncoderGetNumberOfCapabilities), ZEL_OK,
     {Set(0, 5, "0000"), Get(0, 5, "00000102")}, "2"},
    {"NumberOfCapabilitiesWithoutMarker", "Reply0.5=00000202",
     Read(ZelEncoderGetNumberOfCapabilities), ZEL_E_DEVICE,
     {Set(0, 5, "0000"), Get(0, 5, "00000202")}, "0"},
    {"NumberOfCapabilitiesReadFailure", "FailGet0.5=0x80070015",
     Read(ZelEncoderGetNumberOfCapabilities), ZEL_E_NOT_READY,
     {Set(0, 5, "0000"), FailedGet(0, 5, kNotReady)}, "-"},
    {"NumberOfCapabilitiesRefusesNull", "", Call(ZelEncoderGetNumberOfCapabilities, nullptr),
     ZEL_E_INVALID_ARG, {}, "", ZEL_E_INVALID_ARG},
    {"StreamCaps", "", Read(ZelEncoderGetStreamCaps, 1u), ZEL_OK,
     {Set(0, 5, "0002"), Get(0, 5, "000202" "0005" "d002" "00093d00" "00e80300" "1e01")},
     "1280 720 4000000 256000 30 1"},
    {"StreamCapsWithoutMarkerAreZeroed", "", Read(ZelEncoderGetStreamCaps, 254u), ZEL_E_DEVICE,
     {Set(0, 5, "00ff"), Get(0, 5, "00ff")}, "0 0 0 0 0 0"},
    {"StreamCapsIndexAbove254IsRefused", "", Read(ZelEncoderGetStreamCaps, 255u),
     ZEL_E_INVALID_ARG, {}, "- - - - - -", ZEL_E_INVALID_ARG},
    {"StreamCapsRefusesNull", "", Call(ZelEncoderGetStreamCaps, 0u, nullptr), ZEL_E_INVALID_ARG, {},
     "", ZEL_E_INVALID_ARG},

    // ---- Image tuning ----
    {"CalibrateModeZero", "", Call(ZelSetCalibrateMode, 0), ZEL_OK, {Set(0, 4, "600101")}, ""},
    {"CalibrateModeTwo", "", Call(ZelSetCalibrateMode, 2), ZEL_OK, {Set(0, 4, "600100")}, ""},
    {"CalibrateModeFourIsRefused", "", Call(ZelSetCalibrateMode, 4), ZEL_E_INVALID_ARG, {}, "",
     ZEL_E_INVALID_ARG},
    {"CalibrateModeMinusOneIsRefused", "", Call(ZelSetCalibrateMode, -1), ZEL_E_INVALID_ARG, {}, "",
     ZEL_E_INVALID_ARG},
    {"CalibrateModeEx", "", Call(ZelSetCalibrateModeEx, 5u, 0x10), ZEL_OK,
     {Set(0, 4, "7005000000")}, ""},
    {"CalibrateRcaLevel", "", Call(ZelSetCalibrateRcaLevel, 9), ZEL_OK,
     {Set(0, 4, Bytes({{0, "70"}, {5, "09"}}))}, ""},
    {"SpecialEffectTen", "", Call(ZelSetSpecialEffect, 10), ZEL_OK, {Set(0, 4, "800a")}, ""},
    {"SpecialEffectElevenIsRefused", "", Call(ZelSetSpecialEffect, 11), ZEL_E_INVALID_ARG, {}, "",
     ZEL_E_INVALID_ARG},
    {"SpecialEffectMinusOneIsSentAsFF", "", Call(ZelSetSpecialEffect, -1), ZEL_OK,
     {Set(0, 4, "80ff")}, ""},
    {"WhiteBalanceCompensationPacksBits16And17", "",
     Call(ZelSetWBComp, 0x31234u, 0x15678u, 0x69ABCu), ZEL_OK,
     {Set(0, 4, "c1" "3412" "7856" "bc9a" "27" "00")}, ""},
    {"ExposureCompensation", "", Call(ZelSetExpComp, 0x12345678u, 0x9ABC), ZEL_OK,
     {Set(0, 4, Bytes({{0, "c2"}, {9, "78563412bc9a"}}))}, ""},
    {"AeSpeed", "", Call(ZelSetAeSpeed, 0x1234, 0x56), ZEL_OK,
     {Set(0, 4, Bytes({{0, "c4"}, {15, "341256"}}))}, ""},
    {"FlipModeCountsOnlyTheLowByte", "", Call(ZelSetFlipMode, 1, 0x100), ZEL_OK,
     {Set(0, 4, "e001")}, ""},
    {"FlipModeBothOn", "", Call(ZelSetFlipMode, 7, 0x80), ZEL_OK, {Set(0, 4, "e003")}, ""},
    {"GetFlipModeBothOn", "Reply0.4=e103", Read(ZelGetFlipMode), ZEL_OK,
     {Set(0, 4, "e100"), Get(0, 4, "e103")}, "1 1"},
    {"GetFlipModeIgnoresHigherBits", "Reply0.4=e1fe", Read(ZelGetFlipMode), ZEL_OK,
     {Set(0, 4, "e100"), Get(0, 4, "e1fe")}, "0 1"},
    {"GetFlipModeReadFailure", "FailGet0.4=0x80070015", Read(ZelGetFlipMode), ZEL_E_NOT_READY,
     {Set(0, 4, "e100"), FailedGet(0, 4, kNotReady)}, "- -"},
    {"FlipModeReadBack", "", Then(Call(ZelSetFlipMode, 0, 1), Read(ZelGetFlipMode)), ZEL_OK,
     {Set(0, 4, "e002"), Set(0, 4, "e100"), Get(0, 4, "e102")}, "0 1"},

    // ---- Extension unit 1 ----
    {"DeviceInfo", "DeviceInfo=3412bc9a78563412ef", Read(NorvGetDeviceInfo), ZEL_OK,
     {Get(1, 1, "3412bc9a78563412ef")}, "4660 39612 305419896 239"},
    {"DeviceInfoReadFailure", "FailGet1.1=0x80070015", Read(NorvGetDeviceInfo), ZEL_E_NOT_READY,
     {FailedGet(1, 1, kNotReady)}, "- - - -"},
    {"SetLedCountsOnlyTheLowByte", "", Call(NorvSetLed, 0x102), ZEL_OK, {Set(1, 2, "02")}, ""},
    {"GetLed", "Reply1.2=07", Read(NorvGetLed), ZEL_OK, {Get(1, 2, "07")}, "7"},
    {"GetLedReadFailure", "FailGet1.2=0x80070015", Read(NorvGetLed), ZEL_E_NOT_READY,
     {FailedGet(1, 2, kNotReady)}, "-"},
    {"SetAeMaxGain", "", Call(NorvSetAeMaxGain, 0x40), ZEL_OK, {Set(1, 3, "40")}, ""},
    {"AeMaxGainReadBack", "", Then(Call(NorvSetAeMaxGain, 0x41), Read(NorvGetAeMaxGain)), ZEL_OK,
     {Set(1, 3, "41"), Get(1, 3, "41")}, "65"},
    {"SetAeMaxTime", "", Call(NorvSetAeMaxTime, 0x1234), ZEL_OK, {Set(1, 4, "3412")}, ""},
    {"GetAeMaxTime", "Reply1.4=cdab", Read(NorvGetAeMaxTime), ZEL_OK, {Get(1, 4, "cdab")},
     "43981"},
    {"GetAeMaxTimeRefusesNull", "", Call(NorvGetAeMaxTime, nullptr), ZEL_E_INVALID_ARG, {}, "",
     ZEL_E_INVALID_ARG},

    // ---- Device settings ----
    {"SetLedModeCountsOnlyTheLowByte", "", Call(ZelSetLedMode, 0x102), ZEL_OK,
     {Set(0, 5, "010002")}, ""},
    {"LedModeReadBack", "", Then(Call(ZelSetLedMode, 3), Read(ZelGetLedMode)), ZEL_OK,
     {Set(0, 5, "010003"), Set(0, 5, "0101"), Get(0, 5, "010103")}, "3"},
    {"GetLedModeReadFailure", "FailGet0.5=0x80070015", Read(ZelGetLedMode), ZEL_E_NOT_READY,
     {Set(0, 5, "0101"), FailedGet(0, 5, kNotReady)}, "-"},
    {"GetLedModeRefusesNull", "", Call(ZelGetLedMode, nullptr), ZEL_E_INVALID_ARG, {}, "",
     ZEL_E_INVALID_ARG},
    {"SetStreamFormatBuildsOverTheRecord", Keys(kV3), Call(ZelSetStreamFormat, 1), ZEL_OK,
     {Get(0, 1, kV3), Set(0, 5, "020001" + kV3.substr(6))}, ""},
    {"SetStreamFormatOnVersionTwoIsNotSupported", Keys(kV2), Call(ZelSetStreamFormat, 1),
     ZEL_E_NOT_SUPPORTED, {Get(0, 1, kV2)}, ""},
    {"GetStreamFormatIsZeroExtended", Keys(kV3) + "\nReply0.5=0201ff", Read(ZelGetStreamFormat),
     ZEL_OK, {Get(0, 1, kV3), Set(0, 5, "0201" + kV3.substr(4)), Get(0, 5, "0201ff")}, "255"},
    {"GetStreamFormatOnVersionTwoReportsOne", Keys(kV2), Read(ZelGetStreamFormat),
     ZEL_E_NOT_SUPPORTED, {Get(0, 1, kV2)}, "1"},
    {"GetStreamFormatReadFailure", Keys(kV3) + "\nFailGet0.5=0x80070015", Read(ZelGetStreamFormat),
     ZEL_E_NOT_READY,
     {Get(0, 1, kV3), Set(0, 5, "0201" + kV3.substr(4)), FailedGet(0, 5, kNotReady)}, "-"},
    {"GetStreamFormatProbeFailure", "FailGet0.1=0x80070015", Read(ZelGetStreamFormat),
     ZEL_E_NOT_READY, {FailedGet(0, 1, kNotReady)}, "-"},
    {"SetFrameSizeFormatBuildsOverTheRecord", Keys(kV3), Call(ZelSetEncoderFrameSizeFormat, 0x102),
     ZEL_OK, {Get(0, 1, kV3), Set(0, 5, "030002" + kV3.substr(6))}, ""},
    {"SetFrameSizeFormatOnVersionTwoIsNotSupported", Keys(kV2),
     Call(ZelSetEncoderFrameSizeFormat, 1), ZEL_E_NOT_SUPPORTED, {Get(0, 1, kV2)}, ""},
    {"FrameSizeFormatReadBack", Keys(kV3),
     Then(Call(ZelSetEncoderFrameSizeFormat, 4), Read(ZelGetEncoderFrameSizeFormat)), ZEL_OK,
     {Get(0, 1, kV3), Set(0, 5, "030004" + kV3.substr(6)), Get(0, 1, kV3),
      Set(0, 5, "0301" + kV3.substr(4)), Get(0, 5, "030104" + kV3.substr(6))},
     "4"},
    {"GetFrameSizeFormatOnVersionTwoReportsZero", Keys(kV2), Read(ZelGetEncoderFrameSizeFormat),
     ZEL_E_NOT_SUPPORTED, {Get(0, 1, kV2)}, "0"},
    {"SetH264Disable", "", Call(ZelSetH264Disable, 1), ZEL_OK, {Set(0, 5, "040001")}, ""},
    {"GetH264Disable", "Reply0.5=040101", Read(ZelGetH264Disable), ZEL_OK,
     {Set(0, 5, "0401"), Get(0, 5, "040101")}, "1"},
    {"SetPanTilt", "", Call(ZelSetPanTilt, 0x1234, 0x00AB), ZEL_OK, {Set(0, 5, "05003412ab00")},
     ""},
    {"GetPanTilt", "Reply0.5=05013412ab00", Read(ZelGetPanTilt), ZEL_OK,
     {Set(0, 5, "0501"), Get(0, 5, "05013412ab00")}, "4660 171"},
    {"GetPanTiltRequestFailureSkipsTheRead", "FailSet0.5=0x80070015", Read(ZelGetPanTilt),
     ZEL_E_NOT_READY, {Set(0, 5, "0501", kNotReady)}, "- -"},
    {"SetShutterMode", "", Call(ZelSetShutterMode, 2), ZEL_OK, {Set(0, 5, "060002")}, ""},
    {"GetShutterMode", "Reply0.5=060102", Read(ZelGetShutterMode), ZEL_OK,
     {Set(0, 5, "0601"), Get(0, 5, "060102")}, "2"},
    {"SetMjpgQFactor", "", Call(ZelSetMjpgQFactor, 0x50), ZEL_OK, {Set(0, 5, "070050")}, ""},
    {"GetMjpgQFactor", "Reply0.5=070150", Read(ZelGetMjpgQFactor), ZEL_OK,
     {Set(0, 5, "0701"), Get(0, 5, "070150")}, "80"},
    {"CroppedImageAt480", "", Call(ZelSetCroppedImage, 99, 1, 2, 3, 480u, 5), ZEL_OK,
     {Set(0, 5, "0800010203e005")}, ""},
    {"CroppedImageAbove480IsRefusedAfterOpening", "", Call(ZelSetCroppedImage, 0, 1, 2, 3, 481u, 5),
     ZEL_E_INVALID_ARG, {}, ""},

    // ---- Video processing ----
    {"SetRgbFormat", "", Call(ZelVideoSetRGBFormat, 1, 2, 3), ZEL_OK, {Set(0, 6, "0000010203")},
     ""},
    {"GetRgbFormat", "Reply0.6=0001040506", Read(ZelVideoGetRGBFormat), ZEL_OK,
     {Set(0, 6, "0001"), Get(0, 6, "0001040506")}, "4 5 6"},
    {"SetMirrorCountsOnlyTheLowByte", "", Call(ZelVideoSetMirror, 0x101), ZEL_OK,
     {Set(0, 6, "010001")}, ""},
    {"GetMirrorReadFailure", "FailGet0.6=0x80070015", Read(ZelVideoGetMirror), ZEL_E_NOT_READY,
     {Set(0, 6, "0101"), FailedGet(0, 6, kNotReady)}, "-"},
    {"MirrorReadBack", "", Then(Call(ZelVideoSetMirror, 1), Read(ZelVideoGetMirror)), ZEL_OK,
     {Set(0, 6, "010001"), Set(0, 6, "0101"), Get(0, 6, "010101")}, "1"},
    {"SetTemporalNoiseReduction", "", Call(ZelVideoSetTemporalNoiseReduction, 3), ZEL_OK,
     {Set(0, 6, "020003")}, ""},
    {"GetTemporalNoiseReduction", "Reply0.6=020109", Read(ZelVideoGetTemporalNoiseReduction),
     ZEL_OK, {Set(0, 6, "0201"), Get(0, 6, "020109")}, "9"},
    {"SetRateControl", "", Call(ZelVideoSetRateControl, 7, 8, 9), ZEL_OK,
     {Set(0, 6, "0300070809")}, ""},
    {"GetRateControl", "Reply0.6=03010a0b0c", Read(ZelVideoGetRateControl), ZEL_OK,
     {Set(0, 6, "0301"), Get(0, 6, "03010a0b0c")}, "10 11 12"},
    {"SetAutoRefresh", "", Call(ZelVideoSetAutoRefresh, 7, 0x1234, 9), ZEL_OK,
     {Set(0, 6, "040007341209")}, ""},
    {"GetAutoRefresh", "Reply0.6=040107341209", Read(ZelVideoGetAutoRefresh), ZEL_OK,
     {Set(0, 6, "0401"), Get(0, 6, "040107341209")}, "7 4660 9"},
    {"SetRegionOfInterest", "", Call(ZelVideoSetRegionOfInterest, 1, 258u, 5u, 6u), ZEL_OK,
     {Set(0, 6, "050001020100000500000006000000")}, ""},
    {"RegionOfInterestReadBack", "",
     Then(Call(ZelVideoSetRegionOfInterest, 1, 258u, 5u, 0x80000000u),
          Read(ZelVideoGetRegionOfInterest)),
     ZEL_OK,
     {Set(0, 6, "050001020100000500000000000080"), Set(0, 6, "0501"),
      Get(0, 6, "050101020100000500000000000080")},
     "1 258 5 2147483648"},
    {"SetDynamicResolutionScaling", "", Call(ZelVideoSetDynamicResolutionScaling, 1), ZEL_OK,
     {Set(0, 6, "060001")}, ""},
    {"GetDynamicResolutionScaling", "Reply0.6=060102", Read(ZelVideoGetDynamicResolutionScaling),
     ZEL_OK, {Set(0, 6, "0601"), Get(0, 6, "060102")}, "2"},
    {"SetScalableVideoCoding", "", Call(ZelVideoSetScalableVideoCoding, 1, 2), ZEL_OK,
     {Set(0, 6, "07000102")}, ""},
    {"GetScalableVideoCoding", "Reply0.6=07010304", Read(ZelVideoGetScalableVideoCoding), ZEL_OK,
     {Set(0, 6, "0701"), Get(0, 6, "07010304")}, "3 4"},
    {"SetSimulcast", "", Call(ZelVideoSetSimulcast, 5, 6), ZEL_OK, {Set(0, 6, "08000506")}, ""},
    {"GetSimulcast", "Reply0.6=08010708", Read(ZelVideoGetSimulcast), ZEL_OK,
     {Set(0, 6, "0801"), Get(0, 6, "08010708")}, "7 8"},
    {"SetStereoView", "", Call(ZelVideoSetStereoView, 1), ZEL_OK, {Set(0, 6, "090001")}, ""},
    {"GetStereoView", "Reply0.6=090101", Read(ZelVideoGetStereoView), ZEL_OK,
     {Set(0, 6, "0901"), Get(0, 6, "090101")}, "1"},
    {"GetStereoViewRefusesNull", "", Call(ZelVideoGetStereoView, nullptr), ZEL_E_INVALID_ARG, {},
     "", ZEL_E_INVALID_ARG},

    // ---- Audio processing ----
    {"SetAcousticNoiseReduction", "", Call(ZelAudioSetAcousticNoiseReduction, 1), ZEL_OK,
     {Set(0, 7, "000001")}, ""},
    {"GetAcousticNoiseReduction", "Reply0.7=000102", Read(ZelAudioGetAcousticNoiseReduction),
     ZEL_OK, {Set(0, 7, "0001"), Get(0, 7, "000102")}, "2"},
    {"SetEqualizer", "", Call(ZelAudioSetEqualizer, 3, 4), ZEL_OK, {Set(0, 7, "01000304")}, ""},
    {"GetEqualizer", "Reply0.7=01010304", Read(ZelAudioGetEqualizer), ZEL_OK,
     {Set(0, 7, "0101"), Get(0, 7, "01010304")}, "3 4"},
    {"GetEqualizerReadFailure", "FailGet0.7=0x80070015", Read(ZelAudioGetEqualizer),
     ZEL_E_NOT_READY, {Set(0, 7, "0101"), FailedGet(0, 7, kNotReady)}, "- -"},
    {"SetBeamFormingCountsOnlyTheLowByte", "", Call(ZelAudioSetBeamForming, 0x1FF), ZEL_OK,
     {Set(0, 7, "0200ff")}, ""},
    {"BeamFormingReadBack", "", Then(Call(ZelAudioSetBeamForming, 6), Read(ZelAudioGetBeamForming)),
     ZEL_OK, {Set(0, 7, "020006"), Set(0, 7, "0201"), Get(0, 7, "020106")}, "6"},
};

// Names a failing case by its name instead of its bytes.
void PrintTo(const ControlCase& c, std::ostream* os) { *os << c.name; }

class CameraControlsTest : public SimWorldTest,
                           public ::testing::WithParamInterface<ControlCase> {};

TEST_P(CameraControlsTest, ArgumentsPayloadsRepliesOutputs) {
  const ControlCase& c = GetParam();
  UseWorld(CameraSection(1, kZelPath, c.keys));
  std::string outputs;
  EXPECT_EQ(c.call(outputs), c.result);
  EXPECT_EQ(outputs, c.outputs);
  std::vector<std::string> exchanges;
  for (const std::string& line : Trace()) {
    if (line.rfind("LEN ", 0) != 0) exchanges.push_back(line);
  }
  EXPECT_EQ(exchanges, c.exchanges);
  EXPECT_TRUE(LibraryLockIsFree());
}

TEST_P(CameraControlsTest, WithoutACameraOutputsStayUntouched) {
  const ControlCase& c = GetParam();
  UseWorld("");
  std::string outputs;
  EXPECT_EQ(c.call(outputs), c.withoutCamera);
  if (c.outputsWithoutCamera.empty()) {
    std::istringstream shown(outputs);
    for (std::string value; shown >> value;) EXPECT_EQ(value, "-") << outputs;
  } else {
    EXPECT_EQ(outputs, c.outputsWithoutCamera);
  }
  EXPECT_TRUE(LibraryLockIsFree());
}

INSTANTIATE_TEST_SUITE_P(EveryExport, CameraControlsTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<ControlCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace tandrel::testing
