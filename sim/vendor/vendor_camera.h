// The camera a stand-in vendor library acts on: the first camera of its model in the world
// beside the library, with its serial flash (loaded from the camera's Flash file, written
// back whenever it changes), its StuckByte, its FailStep and the world's trace.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "world/world_file.h"

#if defined(_WIN32)
#define SIM_EXPORT extern "C" __declspec(dllexport)
#else
#define SIM_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace sim {

class VendorCamera {
 public:
  // The first camera of the model; nothing when the world has none.
  static std::optional<VendorCamera> Find(const char* model, uint32_t flashSize);

  uint32_t FlashSize() const { return static_cast<uint32_t>(flash_.size()); }
  // The byte as the flash reads it: a StuckByte reads as its value whatever is programmed.
  uint8_t Read(uint32_t address) const;
  // NOR programming: a write can only clear bits.
  void Program(uint32_t address, uint8_t value);
  void Erase(uint32_t address, uint32_t count);
  // Writes the flash back to its file when it changed since the last write-back.
  void WriteBack();
  // Records that an image of length bytes is now burnt: from here on the camera reports
  // that image's version as its release.
  void MarkBurnt(uint32_t length);

  // The camera's key, empty when unset; a number, or the fallback when unset or malformed.
  std::u16string Text(const char16_t* key) const;
  int64_t Number(const char16_t* key, int64_t fallback) const;
  // FailStep names this step.
  bool Fails(const char16_t* step) const { return Text(u"FailStep") == step; }

  // One trace line, "CALL " followed by the formatted text.
  void Trace(const char* format, ...) const
#if defined(__GNUC__)
      __attribute__((format(printf, 2, 3)))
#endif
      ;

 private:
  VendorCamera(const WorldFile& world, const CameraConfig& camera, uint32_t flashSize);

  const WorldFile* world_;
  std::u16string section_;
  std::u16string flashPath_;
  std::u16string tracePath_;
  std::vector<uint8_t> flash_;
  std::optional<std::pair<uint32_t, uint8_t>> stuck_;
  bool changed_ = false;
};

// The file beside a camera's Flash file that records the length of the image burnt last.
std::u16string BurntMarkerPath(const std::u16string& flashPath);

}  // namespace sim
