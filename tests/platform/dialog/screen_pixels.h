// Pixels as the display shows them: a screen rectangle read back, the state picture a control
// shows told apart by comparing it with the program's own bitmap resources, and a .bmp file.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace dialog_test {

// 0x00RRGGBB per pixel, rows top first.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> rgb;

  uint32_t At(int x, int y) const { return rgb[static_cast<size_t>(y) * width + x]; }
};

// What the screen shows in that rectangle (screen coordinates); empty when it cannot be read.
Pixels CaptureScreen(const RECT& area);

// Writes the pixels as a 24-bit .bmp file; false when the file cannot be written.
bool WriteBmp(const std::wstring& path, const Pixels& pixels);

// The bitmap resources of a program, to recognise which one a control is painted with.
class StatePictures {
 public:
  // Loads the given bitmap ids from the program file's resources, without running it.
  StatePictures(const std::wstring& programPath, const std::vector<int>& ids);

  bool Loaded() const { return !pictures_.empty() && pictures_.size() == ids_.size(); }
  // The id of the bitmap whose tiling from the top-left corner matches the capture (the
  // control's one-pixel frame aside), or 0 when none does.
  int Recognise(const Pixels& capture) const;

 private:
  std::vector<int> ids_;
  std::vector<Pixels> pictures_;
};

}  // namespace dialog_test
