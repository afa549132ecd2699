#include "world/flash_memory.h"

#include <algorithm>

#include "fs/file_io.h"
#include "world/world_file.h"

namespace sim {

void FlashMemory::FileCloser::operator()(std::FILE* file) const { std::fclose(file); }

FlashMemory::FlashMemory(std::u16string path, uint32_t size, std::optional<StuckByte> stuck)
    : path_(std::move(path)), stuck_(stuck), bytes_(size, 0xFF) {
  if (path_.empty()) return;
  if (const std::optional<std::string> content = fs::ReadWholeFile(path_)) {
    std::copy_n(content->begin(), std::min<size_t>(content->size(), size), bytes_.begin());
  }
}

FlashMemory::~FlashMemory() = default;
FlashMemory::FlashMemory(FlashMemory&&) noexcept = default;

uint8_t FlashMemory::Read(uint32_t address) const {
  if (stuck_ && stuck_->address == address) return stuck_->value;
  return address < Size() ? bytes_[address] : 0xFF;
}

void FlashMemory::Program(uint32_t address, uint8_t value) {
  if (address >= Size()) return;
  const uint8_t programmed = bytes_[address] & value;
  if (programmed == bytes_[address]) return;
  bytes_[address] = programmed;
  MarkChanged(address, address + 1);
}

void FlashMemory::Erase(uint32_t address, uint32_t count) {
  if (address >= Size()) return;
  const uint32_t end = address + std::min(count, Size() - address);
  std::fill(bytes_.begin() + address, bytes_.begin() + end, 0xFF);
  MarkChanged(address, end);
}

void FlashMemory::MarkChanged(uint32_t begin, uint32_t end) {
  if (changedBegin_ == changedEnd_) {
    changedBegin_ = begin;
    changedEnd_ = end;
    return;
  }
  changedBegin_ = std::min(changedBegin_, begin);
  changedEnd_ = std::max(changedEnd_, end);
}

void FlashMemory::Persist() {
  if (changedBegin_ == changedEnd_ || path_.empty()) return;
  if (!file_) {
    // The file may be missing or short: it takes the whole content once, then stays open.
    if (!fs::WriteWholeFile(path_, std::string(bytes_.begin(), bytes_.end()))) return;
    file_.reset(fs::OpenFile(path_, "r+b"));
    changedBegin_ = changedEnd_ = 0;
    return;
  }
  const bool written =
      std::fseek(file_.get(), static_cast<long>(changedBegin_), SEEK_SET) == 0 &&
      std::fwrite(bytes_.data() + changedBegin_, 1, changedEnd_ - changedBegin_, file_.get()) ==
          changedEnd_ - changedBegin_ &&
      std::fflush(file_.get()) == 0;
  if (written) changedBegin_ = changedEnd_ = 0;
}

std::optional<FlashMemory::StuckByte> StuckByteOf(const WorldFile& world,
                                                  const std::u16string& section) {
  const std::u16string text = world.GetString(section, u"StuckByte");
  if (text.empty()) return std::nullopt;
  const size_t colon = text.find(u':');
  const auto address = ParseWorldNumber(text.substr(0, colon));
  const auto value = colon == std::u16string::npos ? std::nullopt
                                                    : ParseWorldNumber(text.substr(colon + 1));
  if (!address || !value) {
    world.ReportBadValue(section, u"StuckByte");
    return std::nullopt;
  }
  return FlashMemory::StuckByte{static_cast<uint32_t>(*address), static_cast<uint8_t>(*value)};
}

}  // namespace sim
