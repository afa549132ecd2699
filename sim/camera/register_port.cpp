#include "camera/register_port.h"

#include "camera/status_words.h"

namespace sim {
namespace {

constexpr uint8_t kRead = 0x00;
constexpr uint8_t kWrite = 0x01;
constexpr uint8_t kBatchRead = 0x02;
constexpr uint8_t kBatchWrite = 0x03;
constexpr size_t kEntries = 3;
constexpr uint8_t kConsecutive = 0x80;

}  // namespace

uint32_t RegisterPort::Set(const ControlBytes& request) {
  switch (request[0]) {
    case kRead:
      answer_ = request;
      StoreLe(&answer_[5], registers_.Read(LoadLe(&request[1], 4)), 4);
      return kStatusOk;
    case kWrite:
      registers_.Write(LoadLe(&request[1], 4), LoadLe(&request[5], 4));
      return kStatusOk;
    case kBatchRead: return Batch(request, false);
    case kBatchWrite: return Batch(request, true);
    default: return kStatusInvalidParameter;
  }
}

uint32_t RegisterPort::Batch(const ControlBytes& request, bool isWrite) {
  const size_t count = request[1];
  const uint8_t control = request[2];
  const size_t addressWidth = (control & 3u) + 1;
  const size_t dataWidth = ((control >> 2) & 3u) + 1;
  const bool consecutive = (control & kConsecutive) != 0;
  const size_t further = consecutive ? dataWidth : addressWidth + dataWidth;
  if (count == 0 || kEntries + addressWidth + dataWidth + (count - 1) * further > request.size()) {
    return kStatusInvalidParameter;
  }
  ControlBytes reply = request;
  size_t at = kEntries;
  uint32_t address = 0;
  for (size_t i = 0; i < count; ++i) {
    if (i == 0 || !consecutive) {
      address = LoadLe(&request[at], addressWidth);
      at += addressWidth;
    } else {
      address += static_cast<uint32_t>(dataWidth);
    }
    if (isWrite) {
      registers_.Write(address, LoadLe(&request[at], dataWidth));
    } else {
      StoreLe(&reply[at], registers_.Read(address), dataWidth);
    }
    at += dataWidth;
  }
  if (!isWrite) answer_ = reply;
  return kStatusOk;
}

uint32_t RegisterPort::Get(ControlBytes& reply) {
  reply = answer_;
  return kStatusOk;
}

}  // namespace sim
