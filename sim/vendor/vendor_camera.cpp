#include "vendor/vendor_camera.h"

#include <algorithm>
#include <cstdarg>
#include <string>

#include "fs/file_io.h"

namespace sim {

std::optional<VendorCamera> VendorCamera::Find(const char* model, uint32_t flashSize) {
  const WorldFile& world = WorldFile::Current();
  for (const CameraConfig& camera : world.Cameras()) {
    if (camera.model == model) return VendorCamera(world, camera, flashSize);
  }
  return std::nullopt;
}

VendorCamera::VendorCamera(const WorldFile& world, const CameraConfig& camera, uint32_t flashSize)
    : world_(&world),
      section_(camera.section),
      flashPath_(camera.flashPath),
      tracePath_(world.ResolvePath(world.GetString(u"World", u"Trace"))),
      flash_(flashSize, 0xFF) {
  if (const auto bytes = fs::ReadWholeFile(flashPath_)) {
    std::copy_n(bytes->begin(), std::min<size_t>(bytes->size(), flashSize), flash_.begin());
  }
  // "address:value"
  const std::u16string stuck = Text(u"StuckByte");
  const size_t colon = stuck.find(u':');
  if (colon != std::u16string::npos) {
    const auto address = ParseWorldNumber(stuck.substr(0, colon));
    const auto value = ParseWorldNumber(stuck.substr(colon + 1));
    if (address && value) stuck_ = {static_cast<uint32_t>(*address), static_cast<uint8_t>(*value)};
  }
}

uint8_t VendorCamera::Read(uint32_t address) const {
  if (stuck_ && stuck_->first == address) return stuck_->second;
  return address < flash_.size() ? flash_[address] : 0xFF;
}

void VendorCamera::Program(uint32_t address, uint8_t value) {
  if (address >= flash_.size()) return;
  const uint8_t programmed = flash_[address] & value;
  changed_ = changed_ || programmed != flash_[address];
  flash_[address] = programmed;
}

void VendorCamera::Erase(uint32_t address, uint32_t count) {
  const uint32_t end = std::min<uint32_t>(FlashSize(), address + count);
  for (uint32_t a = address; a < end; ++a) {
    changed_ = changed_ || flash_[a] != 0xFF;
    flash_[a] = 0xFF;
  }
}

void VendorCamera::WriteBack() {
  if (!changed_ || flashPath_.empty()) return;
  fs::WriteWholeFile(flashPath_, std::string(flash_.begin(), flash_.end()));
  changed_ = false;
}

void VendorCamera::MarkBurnt(uint32_t length) {
  if (flashPath_.empty()) return;
  fs::WriteWholeFile(BurntMarkerPath(flashPath_), std::to_string(length));
}

std::u16string VendorCamera::Text(const char16_t* key) const {
  return world_->GetString(section_, key);
}

int64_t VendorCamera::Number(const char16_t* key, int64_t fallback) const {
  return world_->GetNumber(section_, key).value_or(fallback);
}

void VendorCamera::Trace(const char* format, ...) const {
  if (tracePath_.empty()) return;
  std::FILE* file = fs::OpenFile(tracePath_, "ab");
  if (file == nullptr) return;
  std::fputs("CALL ", file);
  va_list args;
  va_start(args, format);
  std::vfprintf(file, format, args);
  va_end(args);
  std::fputc('\n', file);
  std::fclose(file);
}

std::u16string BurntMarkerPath(const std::u16string& flashPath) { return flashPath + u".burnt"; }

}  // namespace sim
