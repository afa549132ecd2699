// Layout of the batch register commands: the request payload built from a caller's MmioBatch
// and the values taken back out of a reply. Pure functions on bytes.
#pragma once

#include <cstdint>

#include "tandrel.h"
#include "transport/call_frame.h"

namespace tandrel {

constexpr uint8_t kBatchReadCommand = 0x02;
constexpr uint8_t kBatchWriteCommand = 0x03;

// Checks the batch and lays out its request: ZEL_OK; ZEL_E_INVALID_ARG for null pointers, a
// count of 0, widths outside 1 to 4 or a list that does not fit the payload; ZEL_E_DEVICE for
// two or more registers with a mode other than 0 and 0x80. A read request carries the first
// dataWidth bytes of batch.data in its first value slot and empty further slots.
int BuildBatchRequest(const MmioBatch& batch, uint8_t command, XuPayload& payload);

// Copies the values of a batch-read reply into batch.data.
void StoreBatchValues(const MmioBatch& batch, const XuPayload& reply);

}  // namespace tandrel
