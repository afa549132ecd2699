// Register exports: single 32-bit registers, batches, and raw batch payloads, all on
// extension unit 0, selector 2.
#include <cstring>

#include "flash/mmio_batch.h"
#include "tandrel.h"
#include "transport/call_frame.h"

namespace tandrel {
namespace {

constexpr XuControl kRegisterControl{0, 2};
constexpr uint8_t kReadRegister = 0x00;
constexpr uint8_t kWriteRegister = 0x01;

}  // namespace
}  // namespace tandrel

using namespace tandrel;

extern "C" TANDREL_API int ZelMmioWrite(int address, int value) {
  XuPayload payload{};
  payload[0] = kWriteRegister;
  PutLe(payload, 1, static_cast<uint32_t>(address), 4);
  PutLe(payload, 5, static_cast<uint32_t>(value), 4);
  return XuWrite(kRegisterControl, payload);
}

extern "C" TANDREL_API int ZelMmioRead(int address, int* value) {
  if (value == nullptr) return ZEL_E_INVALID_ARG;
  XuPayload payload{};
  payload[0] = kReadRegister;
  PutLe(payload, 1, static_cast<uint32_t>(address), 4);
  const int result = XuRequestAndRead(kRegisterControl, payload);
  if (result == ZEL_OK) *value = static_cast<int>(GetLe(payload, 5, 4));
  return result;
}

extern "C" TANDREL_API int ZelBatchMmioWrite(const MmioBatch* batch) {
  if (batch == nullptr) return ZEL_E_INVALID_ARG;
  XuPayload payload{};
  const int built = BuildBatchRequest(*batch, kBatchWriteCommand, payload);
  return built != ZEL_OK ? built : XuWrite(kRegisterControl, payload);
}

extern "C" TANDREL_API int ZelBatchMmioRead(MmioBatch* batch) {
  if (batch == nullptr) return ZEL_E_INVALID_ARG;
  XuPayload payload{};
  const int built = BuildBatchRequest(*batch, kBatchReadCommand, payload);
  if (built != ZEL_OK) return built;
  const int result = XuRequestAndRead(kRegisterControl, payload);
  if (result == ZEL_OK) StoreBatchValues(*batch, payload);
  return result;
}

extern "C" TANDREL_API int ZelBatchMmioWriteEx(const unsigned char* raw) {
  if (raw == nullptr) return ZEL_E_INVALID_ARG;
  XuPayload payload{};
  std::memcpy(payload.data(), raw, payload.size());
  return XuWrite(kRegisterControl, payload);
}

extern "C" TANDREL_API int ZelBatchMmioReadEx(unsigned char* raw) {
  if (raw == nullptr) return ZEL_E_INVALID_ARG;
  XuPayload payload{};
  std::memcpy(payload.data(), raw, payload.size());
  const int result = XuRequestAndRead(kRegisterControl, payload);
  if (result == ZEL_OK) std::memcpy(raw, payload.data(), payload.size());
  return result;
}
