#include "camera/encoder_port.h"

#include <algorithm>

#include "camera/status_words.h"

namespace sim {
namespace {

constexpr uint8_t kStreamMask = 0x0F;
constexpr uint8_t kGop = 0x20;
constexpr uint8_t kQuality = 0x40;
constexpr uint8_t kProfileLevel = 0x80;
constexpr uint8_t kIndexedVersion = 0xFF;
constexpr uint8_t kEntropyVersion = 5;
constexpr uint8_t kProfiles = 8;
constexpr uint8_t kLevels = 16;
constexpr size_t kRefusesStreamWrites = 16;

void CopyBytes(const ControlBytes& from, ControlBytes& to, size_t first, size_t last) {
  std::copy(from.begin() + first, from.begin() + last + 1, to.begin() + first);
}

}  // namespace

ControlBytes EncoderPort::DefaultRecord() {
  ControlBytes record{};
  record[0] = 3;
  StoreLe(&record[1], 4000000, 4);
  StoreLe(&record[5], 1920, 2);
  StoreLe(&record[7], 1080, 2);
  record[9] = 30;
  StoreLe(&record[12], 30, 2);
  record[14] = 3;   // profile table: High
  record[15] = 12;  // level table: 4.1
  record[19] = 26;
  record[20] = 36;
  return record;
}

uint32_t EncoderPort::Set(const ControlBytes& request) {
  // A key-frame request (0x10) changes nothing in the record.
  const uint8_t mask = request[0];
  if ((mask & kProfileLevel) != 0 && (request[14] >= kProfiles || request[15] >= kLevels)) {
    return kStatusInvalidParameter;
  }
  if ((mask & kStreamMask) != 0) {
    CopyBytes(request, record_, 1, Version() == kIndexedVersion ? 7 : 10);
  }
  if ((mask & kGop) != 0) CopyBytes(request, record_, 12, 13);
  if ((mask & kQuality) != 0 && Version() >= kEntropyVersion) {
    record_[17] = request[17];
  } else if ((mask & kQuality) != 0) {
    CopyBytes(request, record_, 19, 20);
  }
  if ((mask & kProfileLevel) != 0) CopyBytes(request, record_, 14, 15);
  // Firmware that flags byte 16 takes stream and profile writes but answers them as refused.
  const bool refused = record_[kRefusesStreamWrites] == 1 && (mask & (kStreamMask | kProfileLevel));
  return refused ? kStatusInvalidParameter : kStatusOk;
}

uint32_t EncoderPort::Get(ControlBytes& reply) {
  reply = record_;
  return kStatusOk;
}

}  // namespace sim
