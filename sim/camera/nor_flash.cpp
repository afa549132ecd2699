#include "camera/nor_flash.h"

#include <algorithm>

#include "fs/file_io.h"

namespace sim {

NorFlash::NorFlash(std::u16string path, std::optional<StuckByte> stuck)
    : path_(std::move(path)), stuck_(stuck), bytes_(kSize, 0xFF) {
  if (path_.empty()) return;
  if (const std::optional<std::string> content = fs::ReadWholeFile(path_)) {
    std::copy_n(content->begin(), std::min<size_t>(content->size(), kSize), bytes_.begin());
  }
}

uint8_t NorFlash::Read(uint32_t address) const {
  if (stuck_ && stuck_->address == address) return stuck_->value;
  return address < kSize ? bytes_[address] : 0xFF;
}

void NorFlash::Program(uint32_t address, uint8_t value) {
  if (address >= kSize) return;
  const uint8_t programmed = bytes_[address] & value;
  changed_ = changed_ || programmed != bytes_[address];
  bytes_[address] = programmed;
}

void NorFlash::EraseAll() {
  std::fill(bytes_.begin(), bytes_.end(), 0xFF);
  changed_ = true;
}

void NorFlash::EraseSector(uint32_t address) {
  if (address >= kSize) return;
  const uint32_t start = address - address % kSectorSize;
  std::fill_n(bytes_.begin() + start, kSectorSize, 0xFF);
  changed_ = true;
}

void NorFlash::WriteBack() {
  if (!changed_ || path_.empty()) return;
  if (fs::WriteWholeFile(path_, std::string(bytes_.begin(), bytes_.end()))) changed_ = false;
}

}  // namespace sim
