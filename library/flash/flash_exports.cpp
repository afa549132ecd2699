// Serial-flash exports: erase, program, read and configure the camera's 128 KiB SPI flash
// through commands on extension unit 0, selector 3.
#include <algorithm>

#include "flash/chip_variant.h"
#include "tandrel.h"
#include "transport/call_frame.h"
#include "transport/library_lock.h"
#include "zel/flash_layout.h"

namespace tandrel {
namespace {

using zel::kPacketBytes;
using zel::kPageBytes;
using zel::RangeFits;

constexpr XuControl kFlashControl{0, 3};

constexpr uint8_t kEraseOlder = 0x60;
constexpr uint8_t kEraseWithStatus = 0xE0;
constexpr uint8_t kSectorErase = 0x80;
constexpr uint8_t kCustomBytes = 0xC0;
constexpr uint8_t kWriteAddress = 0x00;
constexpr uint8_t kWriteData = 0x20;
constexpr uint8_t kReadAddress = 0x5A;
constexpr uint8_t kSpiConfig = 0xA0;

// Firmware from this system-information version on reports the progress of a chip erase.
constexpr uint16_t kPolledEraseFirmware = 0x0600;
constexpr int64_t kEraseLimitSeconds = 2;

XuPayload AddressCommand(uint8_t command, int address) {
  XuPayload payload{};
  payload[0] = command;
  PutLe(payload, 1, static_cast<uint32_t>(address), 4);
  return payload;
}

bool UsesPolledErase() {
  ZelSystemInfo info{};
  return ZelGetSystemInfornation(&info) == ZEL_OK && info.second >= kPolledEraseFirmware;
}

// One read-modify-write of a register bit; a register that cannot be read is left alone.
void ChangeRegisterBit(int address, uint32_t bit, bool set) {
  int value = 0;
  if (ZelMmioRead(address, &value) != ZEL_OK) return;
  const uint32_t changed = set ? (static_cast<uint32_t>(value) | bit) : (static_cast<uint32_t>(value) & ~bit);
  ZelMmioWrite(address, static_cast<int>(changed));
}

}  // namespace
}  // namespace tandrel

using namespace tandrel;

extern "C" TANDREL_API int ZelFlashEraseStatus(unsigned char* busy) {
  if (busy == nullptr) return ZEL_E_INVALID_ARG;
  // Takes its own hold of the recursive lock: inside an erase it nests, from outside it is a
  // complete frame, so no path ever gives up a hold it does not have.
  XuPayload payload{};
  payload[0] = kEraseWithStatus;
  payload[1] = 0x00;
  const int result = XuRequestAndRead(kFlashControl, payload);
  if (result == ZEL_OK) *busy = payload[1];
  return result;
}

extern "C" TANDREL_API int ZelFlashErase(void) {
  try {
    LibraryHold hold(LibraryLock());
    XuPayload payload{};
    if (!UsesPolledErase()) {
      payload[0] = kEraseOlder;
      return XuWrite(kFlashControl, payload);
    }
    payload[0] = kEraseWithStatus;
    payload[1] = 0x01;
    int result = XuWrite(kFlashControl, payload);
    if (result != ZEL_OK) return result;
    unsigned char busy = 0;
    result = ZelFlashEraseStatus(&busy);
    if (result != ZEL_OK) return result;
    const int64_t start = PlatformTransport().WallClockSeconds();
    while (busy == 1) {
      if (PlatformTransport().WallClockSeconds() - start > kEraseLimitSeconds) {
        return ZEL_E_ERASE_INCOMPLETE;
      }
      result = ZelFlashEraseStatus(&busy);
      if (result != ZEL_OK) return result;
    }
    return ZEL_OK;
  } catch (...) {
    return ZEL_E_DEVICE;
  }
}

extern "C" TANDREL_API int ZelFlashSectorErase(int address) {
  return XuWrite(kFlashControl, AddressCommand(kSectorErase, address));
}

extern "C" TANDREL_API int ZelFlashCustom(const unsigned char* data, unsigned int length) {
  if (data == nullptr && length != 0) return ZEL_E_INVALID_ARG;
  return RunXuFrame(kFlashControl, [&](XuAccess& access) {
    // One payload for the whole stream: bytes after a short packet keep the previous
    // packet's values, as the device has always seen them.
    XuPayload payload{};
    for (unsigned int sent = 0; sent < length;) {
      const unsigned int n = std::min<unsigned int>(kPacketBytes, length - sent);
      payload[0] = static_cast<uint8_t>(kCustomBytes + n);
      std::copy_n(data + sent, n, payload.begin() + 1);
      const int result = SendPayload(access, payload);
      if (result != ZEL_OK) return result;
      sent += n;
    }
    return ZEL_OK;
  });
}

extern "C" TANDREL_API int ZelFlashWrite(int address, const unsigned char* data, int length) {
  if (!RangeFits(address, length)) return ZEL_E_INVALID_ARG;
  if (data == nullptr && length != 0) return ZEL_E_INVALID_ARG;
  return RunXuFrame(kFlashControl, [&](XuAccess& access) {
    int result = SendPayload(access, AddressCommand(kWriteAddress, address));
    int offset = 0;
    while (result == ZEL_OK && offset < length) {
      // A packet never crosses a program page.
      const int toPageEnd = kPageBytes - (address + offset) % kPageBytes;
      const int n = std::min({kPacketBytes, toPageEnd, length - offset});
      XuPayload payload{};
      payload[0] = static_cast<uint8_t>(kWriteData + n);
      std::copy_n(data + offset, n, payload.begin() + 1);
      result = SendPayload(access, payload);
      offset += n;
    }
    return result;
  });
}

extern "C" TANDREL_API int ZelFlashRead(int address, unsigned char* buffer, int length) {
  if (!RangeFits(address, length)) return ZEL_E_INVALID_ARG;
  if (buffer == nullptr && length != 0) return ZEL_E_INVALID_ARG;
  return RunXuFrame(kFlashControl, [&](XuAccess& access) {
    int result = SendPayload(access, AddressCommand(kReadAddress, address));
    for (int offset = 0; result == ZEL_OK && offset < length;) {
      XuPayload reply{};
      result = ReceivePayload(access, reply);
      if (result != ZEL_OK) break;
      const int n = std::min(kPacketBytes, length - offset);
      std::copy_n(reply.begin() + 1, n, buffer + offset);
      offset += n;
    }
    return result;
  });
}

extern "C" TANDREL_API int ZelFlashSetSpiConfig(int configWord, int configByte) {
  try {
    LibraryHold hold(LibraryLock());
    if (IsChipVariantA()) {
      // Variant A routes its flash pins through these four registers.
      ChangeRegisterBit(0x02000018, 0x4000, false);
      ChangeRegisterBit(0x02000004, 0x4000, true);
      ChangeRegisterBit(0x02000028, 0x4000, true);
      ChangeRegisterBit(0x02000000, 0x4000, true);
    }
    XuPayload payload{};
    payload[0] = kSpiConfig;
    payload[1] = 0x00;
    PutLe(payload, 2, static_cast<uint32_t>(configWord), 2);
    payload[4] = static_cast<uint8_t>(configByte);
    return XuWrite(kFlashControl, payload);
  } catch (...) {
    return ZEL_E_DEVICE;
  }
}
