// Batch register building on any caller batch: the request is laid out only for a batch that
// fits, from exactly the caller's address and value bytes, and the values a reply carries are
// stored back where the request took them from.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "flash/mmio_batch.h"
#include "fuzz_input.h"

namespace {

using fuzz::Check;
using tandrel::XuPayload;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzInput input(data, size);
  MmioBatch batch{};
  batch.count = input.Byte();
  batch.addressWidth = input.Byte();
  batch.dataWidth = input.Byte();
  batch.flags1 = static_cast<int32_t>(input.Le(4));
  batch.flags2 = static_cast<int32_t>(input.Le(4));
  batch.mode = static_cast<int32_t>(input.Le(4));
  const uint8_t command = input.Byte() & 1 ? tandrel::kBatchWriteCommand : tandrel::kBatchReadCommand;

  // Exactly as many bytes as the batch names, so that a read past them is caught.
  const size_t addressCount = batch.mode == 0 ? batch.count : 1;
  std::vector<uint8_t> addresses(addressCount * batch.addressWidth);
  std::vector<uint8_t> values(size_t{batch.count} * batch.dataWidth);
  const std::string addressBytes = input.Bytes(addresses.size());
  std::copy(addressBytes.begin(), addressBytes.end(), addresses.begin());
  const std::string valueBytes = input.Bytes(values.size());
  std::copy(valueBytes.begin(), valueBytes.end(), values.begin());
  batch.addresses = addresses.empty() ? nullptr : addresses.data();
  batch.data = values.empty() ? nullptr : values.data();

  XuPayload payload{};
  const int result = tandrel::BuildBatchRequest(batch, command, payload);
  Check(result == ZEL_OK || result == ZEL_E_INVALID_ARG || result == ZEL_E_DEVICE,
        "a batch is laid out or refused with a known code");
  if (result != ZEL_OK) return 0;
  Check(payload[0] == command && payload[1] == batch.count, "command and count lead the request");
  Check(std::memcmp(&payload[3], addresses.data(), batch.addressWidth) == 0,
        "the first address follows the control byte");
  if (command != tandrel::kBatchWriteCommand) {
    // A read stores whatever the reply holds, inside the caller's values.
    tandrel::StoreBatchValues(batch, payload);
    return 0;
  }

  // The values a reply carries in the request's places are the request's values.
  const std::vector<uint8_t> sent = values;
  std::fill(values.begin(), values.end(), 0);
  tandrel::StoreBatchValues(batch, payload);
  Check(values == sent, "values stored from a reply are the ones at the request's places");
  return 0;
}
