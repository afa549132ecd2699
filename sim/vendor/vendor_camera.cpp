#include "vendor/vendor_camera.h"

#include <algorithm>
#include <cstdarg>
#include <string>

#include "fs/file_io.h"

namespace sim {

std::optional<VendorCamera> VendorCamera::Find(const char* model, uint32_t flashSize,
                                               std::initializer_list<const char16_t*> failSteps) {
  const WorldFile& world = WorldFile::Current();
  for (const CameraConfig& camera : world.Cameras()) {
    if (camera.model != model) continue;
    VendorCamera found(world, camera, flashSize);
    const std::u16string failStep = found.Text(u"FailStep");
    if (!failStep.empty() && std::none_of(failSteps.begin(), failSteps.end(),
                                          [&](const char16_t* step) { return failStep == step; })) {
      world.ReportBadValue(camera.section, u"FailStep");
    }
    return found;
  }
  return std::nullopt;
}

VendorCamera::VendorCamera(const WorldFile& world, const CameraConfig& camera, uint32_t flashSize)
    : world_(&world),
      section_(camera.section),
      flashPath_(camera.flashPath),
      tracePath_(world.ResolvePath(world.GetString(u"World", u"Trace"))),
      flash_(camera.flashPath, flashSize, StuckByteOf(world, camera.section)),
      failCall_(world.GetNumber(camera.section, u"FailCall").value_or(0)) {}

bool VendorCamera::CallFails(const char* name) {
  if (++calls_ != failCall_) return false;
  Trace("%s = failed once", name);
  return true;
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
