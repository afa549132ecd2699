// Video encoder controls: the encoder settings record on extension unit 0, selector 1, whose
// layout and offered fields depend on the version in its byte 0, and the capability queries
// in group 0 of selector 5.
#include <cstring>
#include <iterator>
#include <optional>

#include "flash/chip_variant.h"
#include "tandrel.h"
#include "transport/call_frame.h"
#include "transport/xu_status.h"

using namespace tandrel;

namespace {

constexpr XuControl kEncoderRecord{0, 1};
constexpr XuControl kDeviceControls{0, 5};

// Byte 0 of a write names the fields it carries.
constexpr uint8_t kWriteStreamMask = 0x0F;
constexpr uint8_t kWriteKeyFrame = 0x10;
constexpr uint8_t kWriteGop = 0x20;
constexpr uint8_t kWriteQuality = 0x40;
constexpr uint8_t kWriteProfileLevel = 0x80;

constexpr uint8_t kIndexedBitRateVersion = 0xFF;
constexpr uint8_t kEntropyVersion = 5;
constexpr uint8_t kRefusalRuleVersion = 2;
constexpr size_t kTakenDespiteRefusal = 16;

constexpr size_t kKeyFrameByte = 11;
constexpr size_t kGopByte = 12;
constexpr size_t kProfileByte = 14;
constexpr size_t kLevelByte = 15;
constexpr size_t kEntropyByte = 17;
constexpr size_t kQualityAByte = 19;
constexpr size_t kQualityBByte = 20;
constexpr int kMaskQualityA = 0x04;
constexpr int kMaskQualityB = 0x08;

// Descending; the terminator is a table entry a version-0xFF record may name.
constexpr uint32_t kBitRates[] = {16000000, 8000000, 4000000, 2000000, 1000000, 512000, 256000, 0};
constexpr size_t kBitRateChoices = std::size(kBitRates) - 1;
constexpr int kProfiles[] = {66, 77, 88, 100, 110, 122, 144, 44};
constexpr int kLevels[] = {10, 19, 11, 12, 13, 20, 21, 22, 30, 31, 32, 40, 41, 42, 50, 51};
constexpr int kLevel1b = 19;
constexpr int kFlags = 7;
constexpr int kFlagsLevel1b = 15;

// The profiles ZelEncoderGetProfile reports, as profile-table positions.
constexpr size_t kOfferedProfiles[] = {0, 1, 3};
constexpr int kOfferedLevel = 31;

constexpr uint8_t kCountQuery = 0;
constexpr uint8_t kCountMarker = 1;
constexpr uint8_t kCapabilityMarker = 2;
constexpr unsigned kLastCapability = 254;

template <typename T, size_t N>
std::optional<T> TableEntry(const T (&table)[N], size_t index) {
  if (index >= N) return std::nullopt;
  return table[index];
}

template <size_t N>
std::optional<uint8_t> TablePosition(const int (&table)[N], int value) {
  for (size_t i = 0; i < N; ++i) {
    if (table[i] == value) return static_cast<uint8_t>(i);
  }
  return std::nullopt;
}

// The first bit rate not above the request; below every choice, the first.
uint8_t BitRateIndex(uint32_t bitRate) {
  for (size_t i = 0; i < kBitRateChoices; ++i) {
    if (kBitRates[i] <= bitRate) return static_cast<uint8_t>(i);
  }
  return 0;
}

// Parameters 1-4 travel unchanged between the caller's record and the device's.
void PutStreamParameters(XuPayload& payload, size_t offset, const ZelEncoderParams& params) {
  PutLe(payload, offset, params.parameter1, 2);
  PutLe(payload, offset + 2, params.parameter2, 2);
  payload[offset + 4] = params.parameter3;
  payload[offset + 5] = params.parameter4;
}

void GetStreamParameters(const XuPayload& record, size_t offset, ZelEncoderParams& params) {
  params.parameter1 = static_cast<uint16_t>(GetLe(record, offset, 2));
  params.parameter2 = static_cast<uint16_t>(GetLe(record, offset + 2, 2));
  params.parameter3 = record[offset + 4];
  params.parameter4 = record[offset + 5];
}

XuPayload RecordWrite(uint8_t fields) {
  XuPayload payload{};
  payload[0] = fields;
  return payload;
}

// Writes payload on the open record control. Firmware may refuse a write with
// ERROR_INVALID_PARAMETER yet take it; a re-read record of version 2 or more with byte 16 = 1
// says so, and then the write counts as taken and gives `taken`.
int WriteRecord(XuAccess& access, const XuPayload& payload, int taken) {
  if (SendPayload(access, payload) == ZEL_OK) return ZEL_OK;
  const uint32_t refusal = access.m_hrLast;
  XuPayload record{};
  const int read = ReceivePayload(access, record);
  if (read != ZEL_OK) return read;
  if (Win32Error(refusal) == kErrorInvalidParameter && record[0] >= kRefusalRuleVersion &&
      record[kTakenDespiteRefusal] == 1) {
    return taken;
  }
  return MapXuStatus(refusal);
}

// Reads the record and, when its version passes `offers`, writes what build makes of it;
// otherwise -6 with nothing written.
template <typename Offers, typename Build>
int RewriteRecord(Offers offers, Build build) {
  return RunXuFrame(kEncoderRecord, [&](XuAccess& access) {
    XuPayload record{};
    const int read = ReceivePayload(access, record);
    if (read != ZEL_OK) return read;
    if (!offers(record[0])) return ZEL_E_NOT_SUPPORTED;
    return build(access, record);
  });
}

bool OffersQuality(uint8_t version) { return version < kEntropyVersion; }
bool OffersEntropy(uint8_t version) { return version >= kEntropyVersion; }

// How many profiles the chip offers: variant A the first only.
int OfferedProfiles() {
  return IsChipVariantA() ? 1 : static_cast<int>(std::size(kOfferedProfiles));
}

// A request and read in group 0 of the device controls; byte 2 of a reply marks its kind.
int QueryCapabilities(uint8_t query, XuPayload& reply) {
  reply.fill(0);
  reply[1] = query;
  return XuRequestAndRead(kDeviceControls, reply);
}

}  // namespace

extern "C" TANDREL_API int ZelEncoderSetParams(const ZelEncoderParams* params, int mask) {
  if (params == nullptr) return ZEL_E_INVALID_ARG;
  return RewriteRecord([](uint8_t) { return true; }, [&](XuAccess& access, const XuPayload& record) {
    XuPayload payload = RecordWrite(static_cast<uint8_t>(mask & kWriteStreamMask));
    if (record[0] == kIndexedBitRateVersion) {
      payload[1] = BitRateIndex(params->bitRate);
      PutStreamParameters(payload, 2, *params);
    } else {
      PutLe(payload, 1, params->bitRate, 4);
      PutStreamParameters(payload, 5, *params);
    }
    return WriteRecord(access, payload, 1);
  });
}

extern "C" TANDREL_API int ZelEncoderGetParams(ZelEncoderParams* params) {
  if (params == nullptr) return ZEL_E_INVALID_ARG;
  XuPayload record{};
  const int result = XuRead(kEncoderRecord, record);
  if (result != ZEL_OK) return result;
  ZelEncoderParams read{};
  if (record[0] == kIndexedBitRateVersion) {
    // An index past the table is a reply the library cannot decode.
    const std::optional<uint32_t> bitRate = TableEntry(kBitRates, record[1]);
    if (!bitRate) return ZEL_E_DEVICE;
    read.bitRate = *bitRate;
    GetStreamParameters(record, 2, read);
  } else {
    read.bitRate = GetLe(record, 1, 4);
    GetStreamParameters(record, 5, read);
  }
  *params = read;
  return ZEL_OK;
}

extern "C" TANDREL_API int ZelEncoderSetIFrame(void) {
  XuPayload payload = RecordWrite(kWriteKeyFrame);
  payload[kKeyFrameByte] = 1;
  return XuWrite(kEncoderRecord, payload);
}

extern "C" TANDREL_API int ZelEncoderGetGOP(int* gop) {
  if (gop == nullptr) return ZEL_E_INVALID_ARG;
  XuPayload record{};
  const int result = XuRead(kEncoderRecord, record);
  if (result == ZEL_OK) *gop = static_cast<int>(GetLe(record, kGopByte, 2));
  return result;
}

extern "C" TANDREL_API int ZelEncoderSetGOP(int gop) {
  XuPayload payload = RecordWrite(kWriteGop);
  PutLe(payload, kGopByte, static_cast<uint32_t>(gop), 2);
  return XuWrite(kEncoderRecord, payload);
}

extern "C" TANDREL_API int ZelEncoderGetQuality(ZelEncoderQuality* quality) {
  if (quality == nullptr) return ZEL_E_INVALID_ARG;
  XuPayload record{};
  const int result = XuRead(kEncoderRecord, record);
  if (result != ZEL_OK) return result;
  const bool offered = OffersQuality(record[0]);
  quality->reserved1 = 0;
  quality->reserved2 = 0;
  quality->valueA = offered ? record[kQualityAByte] : 0;
  quality->valueB = offered ? record[kQualityBByte] : 0;
  return offered ? ZEL_OK : ZEL_E_NOT_SUPPORTED;
}

extern "C" TANDREL_API int ZelEncoderSetQuality(const ZelEncoderQuality* quality, int mask) {
  if (quality == nullptr) return ZEL_E_INVALID_ARG;
  return RewriteRecord(OffersQuality, [&](XuAccess& access, const XuPayload&) {
    // The device's current values stand for the ones the mask leaves out.
    ZelEncoderQuality current{};
    ZelEncoderGetQuality(&current);
    XuPayload payload = RecordWrite(kWriteQuality);
    payload[kQualityAByte] = (mask & kMaskQualityA) != 0 ? quality->valueA : current.valueA;
    payload[kQualityBByte] = (mask & kMaskQualityB) != 0 ? quality->valueB : current.valueB;
    return SendPayload(access, payload);
  });
}

extern "C" TANDREL_API int ZelEncoderGetNumberOfProfiles(int* count) {
  if (count == nullptr) return ZEL_E_INVALID_ARG;
  *count = OfferedProfiles();
  return ZEL_OK;
}

extern "C" TANDREL_API int ZelEncoderGetProfile(int index, int* level, int* profile, int* flags) {
  if (level == nullptr || profile == nullptr || flags == nullptr) return ZEL_E_INVALID_ARG;
  if (index < 0 || index >= OfferedProfiles()) return ZEL_E_INVALID_ARG;
  *level = kOfferedLevel;
  *profile = kProfiles[kOfferedProfiles[index]];
  *flags = kFlags;
  return ZEL_OK;
}

extern "C" TANDREL_API int ZelEncoderGetProfileAndLevel(int* level, int* profile, int* flags) {
  if (level == nullptr || profile == nullptr || flags == nullptr) return ZEL_E_INVALID_ARG;
  XuPayload record{};
  const int result = XuRead(kEncoderRecord, record);
  if (result != ZEL_OK) return result;
  // Indexes past their tables are a reply the library cannot decode.
  const std::optional<int> profileIdc = TableEntry(kProfiles, record[kProfileByte]);
  const std::optional<int> levelIdc = TableEntry(kLevels, record[kLevelByte]);
  if (!profileIdc || !levelIdc) return ZEL_E_DEVICE;
  *level = *levelIdc;
  *profile = *profileIdc;
  *flags = *levelIdc == kLevel1b ? kFlagsLevel1b : kFlags;
  return ZEL_OK;
}

extern "C" TANDREL_API int ZelEncoderSetProfileAndLevel(int level, int profile) {
  const std::optional<uint8_t> profileIndex = TablePosition(kProfiles, profile);
  const std::optional<uint8_t> levelIndex = TablePosition(kLevels, level);
  if (!profileIndex || !levelIndex) return ZEL_E_INVALID_ARG;
  XuPayload payload = RecordWrite(kWriteProfileLevel);
  payload[kProfileByte] = *profileIndex;
  payload[kLevelByte] = *levelIndex;
  return RunXuFrame(kEncoderRecord,
                    [&](XuAccess& access) { return WriteRecord(access, payload, ZEL_OK); });
}

extern "C" TANDREL_API int ZelEncoderGetEntropy(unsigned char* entropy) {
  if (entropy == nullptr) return ZEL_E_INVALID_ARG;
  XuPayload record{};
  const int result = XuRead(kEncoderRecord, record);
  if (result == ZEL_OK) *entropy = OffersEntropy(record[0]) ? record[kEntropyByte] : 0;
  return result;
}

extern "C" TANDREL_API int ZelEncoderSetEntropy(int entropy) {
  return RewriteRecord(OffersEntropy, [&](XuAccess& access, const XuPayload&) {
    XuPayload payload = RecordWrite(kWriteQuality);
    payload[kEntropyByte] = static_cast<uint8_t>(entropy);
    return SendPayload(access, payload);
  });
}

extern "C" TANDREL_API int ZelEncoderGetNumberOfCapabilities(int* count) {
  if (count == nullptr) return ZEL_E_INVALID_ARG;
  XuPayload reply{};
  const int result = QueryCapabilities(kCountQuery, reply);
  if (result != ZEL_OK) return result;
  const bool marked = reply[2] == kCountMarker;
  *count = marked ? reply[3] : 0;
  return marked ? ZEL_OK : ZEL_E_DEVICE;
}

extern "C" TANDREL_API int ZelEncoderGetStreamCaps(unsigned int index, ZelStreamCaps* caps) {
  if (index > kLastCapability || caps == nullptr) return ZEL_E_INVALID_ARG;
  XuPayload reply{};
  const int result = QueryCapabilities(static_cast<uint8_t>(index + 1), reply);
  if (result != ZEL_OK) return result;
  if (reply[2] != kCapabilityMarker) {
    std::memset(caps, 0, sizeof *caps);
    return ZEL_E_DEVICE;
  }
  caps->first = static_cast<uint16_t>(GetLe(reply, 3, 2));
  caps->second = static_cast<uint16_t>(GetLe(reply, 5, 2));
  caps->third = GetLe(reply, 7, 4);
  caps->fourth = GetLe(reply, 11, 4);
  caps->fifth = reply[15];
  caps->sixth = reply[16];
  return ZEL_OK;
}
