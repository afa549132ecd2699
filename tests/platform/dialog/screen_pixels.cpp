#include "screen_pixels.h"

#include <cstdio>

namespace dialog_test {
namespace {

// A 32-bit top-down layout, so that one pixel is one 0x00RRGGBB word.
BITMAPINFO TopDown32(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

Pixels ReadBitmap(HDC context, HBITMAP bitmap, int width, int height) {
  Pixels pixels;
  pixels.rgb.resize(static_cast<size_t>(width) * height);
  BITMAPINFO info = TopDown32(width, height);
  if (GetDIBits(context, bitmap, 0, static_cast<UINT>(height), pixels.rgb.data(), &info, DIB_RGB_COLORS) !=
      height) {
    return {};
  }
  for (uint32_t& pixel : pixels.rgb) pixel &= 0xFFFFFF;
  pixels.width = width;
  pixels.height = height;
  return pixels;
}

}  // namespace

Pixels CaptureScreen(const RECT& area) {
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return {};
  const HDC screen = GetDC(nullptr);
  const HDC memory = CreateCompatibleDC(screen);
  const HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  const HGDIOBJ previous = SelectObject(memory, bitmap);
  const bool copied = BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY) != 0;
  SelectObject(memory, previous);
  Pixels pixels = copied ? ReadBitmap(memory, bitmap, width, height) : Pixels{};
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return pixels;
}

bool WriteBmp(const std::wstring& path, const Pixels& pixels) {
  if (pixels.width == 0) return false;
  const size_t rowBytes = (static_cast<size_t>(pixels.width) * 3 + 3) & ~size_t{3};
  const size_t imageBytes = rowBytes * pixels.height;
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  file.bfSize = static_cast<DWORD>(file.bfOffBits + imageBytes);
  BITMAPINFOHEADER header = TopDown32(pixels.width, pixels.height).bmiHeader;
  header.biHeight = pixels.height;  // rows stored bottom first, as every reader expects
  header.biBitCount = 24;
  header.biSizeImage = static_cast<DWORD>(imageBytes);
  std::vector<uint8_t> rows(imageBytes, 0);
  for (int y = 0; y < pixels.height; ++y) {
    uint8_t* row = &rows[(pixels.height - 1 - y) * rowBytes];
    for (int x = 0; x < pixels.width; ++x) {
      const uint32_t pixel = pixels.At(x, y);
      row[3 * x] = static_cast<uint8_t>(pixel);
      row[3 * x + 1] = static_cast<uint8_t>(pixel >> 8);
      row[3 * x + 2] = static_cast<uint8_t>(pixel >> 16);
    }
  }
  FILE* out = _wfopen(path.c_str(), L"wb");
  if (out == nullptr) return false;
  const bool written = std::fwrite(&file, sizeof file, 1, out) == 1 && std::fwrite(&header, sizeof header, 1, out) == 1 &&
                       std::fwrite(rows.data(), 1, rows.size(), out) == rows.size();
  return std::fclose(out) == 0 && written;
}

StatePictures::StatePictures(const std::wstring& programPath, const std::vector<int>& ids) : ids_(ids) {
  const HMODULE program =
      LoadLibraryExW(programPath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (program == nullptr) return;
  const HDC screen = GetDC(nullptr);
  for (const int id : ids_) {
    const auto bitmap = static_cast<HBITMAP>(
        LoadImageW(program, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    BITMAP shape{};
    if (bitmap == nullptr || GetObjectW(bitmap, sizeof shape, &shape) == 0) break;
    Pixels pixels = ReadBitmap(screen, bitmap, shape.bmWidth, shape.bmHeight);
    DeleteObject(bitmap);
    if (pixels.width == 0) break;
    pictures_.push_back(std::move(pixels));
  }
  ReleaseDC(nullptr, screen);
  FreeLibrary(program);
}

int StatePictures::Recognise(const Pixels& capture) const {
  if (!Loaded()) return 0;
  for (size_t i = 0; i < pictures_.size(); ++i) {
    const Pixels& picture = pictures_[i];
    bool same = capture.width > 2 && capture.height > 2;
    for (int y = 1; same && y < capture.height - 1; ++y) {
      for (int x = 1; same && x < capture.width - 1; ++x) {
        same = capture.At(x, y) == picture.At(x % picture.width, y % picture.height);
      }
    }
    if (same) return ids_[i];
  }
  return 0;
}

}  // namespace dialog_test
