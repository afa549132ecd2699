#include "flash/mmio_batch.h"

#include <cstring>

namespace tandrel {
namespace {

constexpr int32_t kModeEachAddress = 0;
constexpr int32_t kModeConsecutive = 0x80;
constexpr size_t kEntriesOffset = 3;

bool HasOwnAddresses(const MmioBatch& batch) { return batch.mode == kModeEachAddress; }

// Payload bytes the batch needs; the mode of a single register is not examined.
size_t RequestLength(const MmioBatch& batch) {
  const size_t further = batch.count - 1u;
  const size_t perFurther =
      HasOwnAddresses(batch) ? batch.addressWidth + batch.dataWidth : batch.dataWidth;
  return kEntriesOffset + batch.addressWidth + batch.dataWidth + further * perFurther;
}

uint8_t ControlByte(const MmioBatch& batch) {
  return static_cast<uint8_t>(((batch.dataWidth - 1) << 2) | (batch.addressWidth - 1) |
                              (batch.flags2 & 0xFF) | (batch.flags1 & 0xFF) | (batch.mode & 0xFF));
}

}  // namespace

int BuildBatchRequest(const MmioBatch& batch, uint8_t command, XuPayload& payload) {
  if (batch.addresses == nullptr || batch.data == nullptr || batch.count == 0) {
    return ZEL_E_INVALID_ARG;
  }
  if (batch.addressWidth < 1 || batch.addressWidth > 4 || batch.dataWidth < 1 ||
      batch.dataWidth > 4) {
    return ZEL_E_INVALID_ARG;
  }
  if (batch.count >= 2 && batch.mode != kModeEachAddress && batch.mode != kModeConsecutive) {
    return ZEL_E_DEVICE;
  }
  if (RequestLength(batch) > payload.size()) return ZEL_E_INVALID_ARG;

  const bool isWrite = command == kBatchWriteCommand;
  payload.fill(0);
  payload[0] = command;
  payload[1] = batch.count;
  payload[2] = ControlByte(batch);
  size_t at = kEntriesOffset;
  std::memcpy(&payload[at], batch.addresses, batch.addressWidth);
  at += batch.addressWidth;
  std::memcpy(&payload[at], batch.data, batch.dataWidth);
  at += batch.dataWidth;
  for (size_t i = 1; i < batch.count; ++i) {
    if (HasOwnAddresses(batch)) {
      std::memcpy(&payload[at], batch.addresses + i * batch.addressWidth, batch.addressWidth);
      at += batch.addressWidth;
    }
    if (isWrite) std::memcpy(&payload[at], batch.data + i * batch.dataWidth, batch.dataWidth);
    at += batch.dataWidth;
  }
  return ZEL_OK;
}

void StoreBatchValues(const MmioBatch& batch, const XuPayload& reply) {
  size_t at = kEntriesOffset + batch.addressWidth;
  for (size_t i = 0; i < batch.count; ++i) {
    if (i > 0 && HasOwnAddresses(batch)) at += batch.addressWidth;
    std::memcpy(batch.data + i * batch.dataWidth, &reply[at], batch.dataWidth);
    at += batch.dataWidth;
  }
}

}  // namespace tandrel
