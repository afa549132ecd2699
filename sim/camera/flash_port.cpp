#include "camera/flash_port.h"

#include "camera/status_words.h"

namespace sim {
namespace {

constexpr uint8_t kEraseOld = 0x60;
constexpr uint8_t kErasePolled = 0xE0;
constexpr uint8_t kSectorErase = 0x80;
constexpr uint8_t kWriteAddress = 0x00;
constexpr uint8_t kWriteData = 0x20;
constexpr uint8_t kReadAddress = 0x5A;
constexpr uint8_t kCustom = 0xC0;
constexpr uint8_t kConfig = 0xA0;
constexpr uint32_t kMaxData = 26;
constexpr uint32_t kPageSize = 256;

bool InFlash(uint32_t address) { return address < NorFlash::kSize; }

}  // namespace

uint32_t FlashPort::Set(const ControlBytes& request) {
  const uint8_t command = request[0];
  const uint32_t address = LoadLe(&request[1], 4);
  if (command == kEraseOld) {
    flash_.EraseAll();
    return kStatusOk;
  }
  if (command == kErasePolled) return EraseCommand(request);
  if (command == kSectorErase || command == kWriteAddress || command == kReadAddress) {
    if (!InFlash(address)) return kStatusInvalidParameter;
    if (command == kSectorErase) flash_.EraseSector(address);
    if (command == kWriteAddress) writeAddress_ = address;
    if (command == kReadAddress) {
      readAddress_ = address;
      streaming_ = true;
    }
    return kStatusOk;
  }
  if (command > kWriteData && command <= kWriteData + kMaxData) {
    return ProgramData(request, command - kWriteData);
  }
  if (command > kCustom && command <= kCustom + kMaxData) return kStatusOk;
  // The SPI configuration only tunes the chip's flash interface timing.
  if (command == kConfig && request[1] == 0) return kStatusOk;
  if (command == kConfig && request[1] == 1) {
    bootMode_ = request[2];
    bootSwitched_ = true;
    return kStatusOk;
  }
  return kStatusInvalidParameter;
}

uint32_t FlashPort::EraseCommand(const ControlBytes& request) {
  if (request[1] == 1) {
    flash_.EraseAll();
    busyPollsLeft_ = eraseBusyPolls_;
    return kStatusOk;
  }
  if (request[1] != 0) return kStatusInvalidParameter;
  answer_.fill(0);
  answer_[0] = kErasePolled;
  answer_[1] = busyPollsLeft_ != 0 ? 1 : 0;
  if (busyPollsLeft_ > 0) --busyPollsLeft_;
  streaming_ = false;
  return kStatusOk;
}

uint32_t FlashPort::ProgramData(const ControlBytes& request, uint32_t count) {
  if (!InFlash(writeAddress_)) return kStatusInvalidParameter;
  const uint32_t page = writeAddress_ - writeAddress_ % kPageSize;
  for (uint32_t i = 0; i < count; ++i) {
    // Past the page end the chip wraps to the page start, as a page program does.
    flash_.Program(page + (writeAddress_ + i) % kPageSize, request[1 + i]);
  }
  writeAddress_ += count;
  return kStatusOk;
}

bool FlashPort::TakeBootSwitch() {
  const bool switched = bootSwitched_;
  bootSwitched_ = false;
  return switched;
}

uint32_t FlashPort::Get(ControlBytes& reply) {
  if (!streaming_) {
    reply = answer_;
    return kStatusOk;
  }
  reply.fill(0);
  reply[0] = kReadAddress;
  for (uint32_t i = 0; i < kMaxData; ++i) reply[1 + i] = flash_.Read(readAddress_ + i);
  readAddress_ += kMaxData;
  return kStatusOk;
}

}  // namespace sim
