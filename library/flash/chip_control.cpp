// Chip control: the PLL start-up and the chip reset as register sequences, USB boot, the raw
// pass-through of extension unit 0, and the exports this library does not support.
#include <algorithm>
#include <vector>

#include "flash/chip_variant.h"
#include "tandrel.h"
#include "transport/call_frame.h"
#include "transport/platform_transport.h"
#include "transport/xu_status.h"

namespace tandrel {
namespace {

constexpr int kPllA = 0x02100008;
constexpr int kPllEnableA = 0x02100010;
constexpr int kResetA = 0x02100014;
constexpr int kResetTimerA = 0x02100018;
constexpr int kPllOther = 0x20001008;
constexpr int kPllEnableOther = 0x20001010;
constexpr int kResetTimerOther = 0x20001014;
// Bit 31 with 120000 in the low bits.
constexpr int kResetTimerValue = static_cast<int>(0x8001D4C0u);

int Write(int address, uint32_t value) { return ZelMmioWrite(address, static_cast<int>(value)); }

int SetPllVariantA() {
  int value = 0;
  const int read = ZelMmioRead(kPllA, &value);
  const uint32_t v = static_cast<uint32_t>(value);
  if (v & 0x01000000u) return read;  // already running
  const uint32_t base = v & 0xFE000000u;
  Write(kPllA, base | 0x0001A620u);
  Write(kPllA, base | 0x00012620u);
  PlatformTransport().Sleep(100);
  Write(kPllEnableA, 0);
  return Write(kPllA, base | 0x01012620u);
}

int SetPllOtherVariant() {
  int value = 0;
  const int read = ZelMmioRead(kPllOther, &value);
  const uint32_t v = static_cast<uint32_t>(value);
  if (v & 0x00020000u) return read;  // already running
  const uint32_t base = v & 0xFFFC0000u;
  Write(kPllOther, base | 0x8300u);
  Write(kPllOther, base | 0x0300u);
  Write(kPllOther, base | 0x10300u);
  PlatformTransport().Sleep(1);
  Write(kPllOther, base | 0x0300u);
  PlatformTransport().Sleep(1);
  Write(kPllEnableOther, 0);
  return Write(kPllOther, base | 0x20300u);
}

int ResetVariantA() {
  Write(kResetA, 0);
  ZelMmioWrite(kResetTimerA, kResetTimerValue);
  Write(kResetA, 8);
  return Write(kResetA, 4);
}

int ResetOtherVariant() {
  int value = 0;
  ZelMmioRead(kPllOther, &value);
  const uint32_t v = static_cast<uint32_t>(value) & 0xFF3FFFFFu;
  Write(kPllOther, v);
  ZelMmioWrite(kResetTimerOther, kResetTimerValue);
  Write(kPllOther, v | 0x00800000u);
  return Write(kPllOther, v | 0x00400000u);
}

constexpr XuControl kBootControl{0, 3};

XuControl RawControl(int selector) { return XuControl{0, static_cast<uint32_t>(selector)}; }

int NotSupported() { return ZEL_E_NOT_SUPPORTED; }

}  // namespace
}  // namespace tandrel

using namespace tandrel;

extern "C" TANDREL_API int ZelSetPll(void) {
  return IsChipVariantA() ? SetPllVariantA() : SetPllOtherVariant();
}

extern "C" TANDREL_API int ZelReset(void) {
  return IsChipVariantA() ? ResetVariantA() : ResetOtherVariant();
}

extern "C" TANDREL_API int ZelUsbBoot(int mode) {
  XuPayload payload{};
  payload[0] = 0xA0;
  payload[1] = 0x01;
  payload[2] = static_cast<uint8_t>(mode);
  return XuWrite(kBootControl, payload);
}

extern "C" TANDREL_API int ZelXuSet(int selector, const unsigned char* data, unsigned int length) {
  const uint32_t n = std::min<uint32_t>(length, XuAccess::kPayloadLength);
  if (data == nullptr && n != 0) return ZEL_E_INVALID_ARG;
  return RunXuFrame(RawControl(selector), [&](XuAccess& access) {
    std::copy_n(data, n, access.m_Data);
    return access.SetControl(access.m_nSelector, n, access.m_Data) ? ZEL_OK
                                                                    : MapXuStatus(access.m_hrLast);
  });
}

extern "C" TANDREL_API int ZelXuGet(int selector, unsigned char* data, unsigned int length,
                                    unsigned int* controlLength) {
  if (controlLength == nullptr) return ZEL_E_INVALID_ARG;
  return RunXuFrame(RawControl(selector), [&](XuAccess& access) {
    uint32_t available = 0;
    const bool known = access.QueryControlLength(access.m_nSelector, available);
    *controlLength = available;
    if (!known) return MapXuStatus(access.m_hrLast);
    if (data == nullptr) return ZEL_OK;
    const uint32_t n = std::min({length, available, XuAccess::kPayloadLength});
    *controlLength = n;
    if (n == 0) return ZEL_OK;
    // The whole control is read, whatever part is asked for: the platform refuses a buffer
    // shorter than the control rather than read part of it.
    std::vector<uint8_t> whole(available);
    if (!access.GetControl(access.m_nSelector, available, whole.data())) {
      return MapXuStatus(access.m_hrLast);
    }
    std::copy_n(whole.begin(), n, data);
    return ZEL_OK;
  });
}

// The unsupported exports share one body that touches nothing.
extern "C" TANDREL_API int ZelTestExec(void) { return NotSupported(); }
extern "C" TANDREL_API int ZelEncryptorGetKey(void) { return NotSupported(); }
extern "C" TANDREL_API int ZelEncryptorSetConfig(void) { return NotSupported(); }
extern "C" TANDREL_API int ZelEncryptorSetKey(void) { return NotSupported(); }
extern "C" TANDREL_API int ZelSetEncoderOption(void) { return NotSupported(); }
