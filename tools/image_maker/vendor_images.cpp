#include "image_maker/vendor_images.h"

namespace image_maker {
namespace {

void PutLe16(std::string& image, size_t at, uint16_t value) {
  image[at] = static_cast<char>(value & 0xFF);
  image[at + 1] = static_cast<char>(value >> 8);
}

}  // namespace

std::string SonixImage(uint16_t version) {
  std::string image(0x10000, '\0');
  image[0x168] = 0x02;
  image[0x20A] = static_cast<char>(version >> 8);
  image[0x20B] = static_cast<char>(version & 0xFF);
  return image;
}

std::string SunplusImageA(uint16_t version) {
  std::string image(0xC000, '\0');
  image[0xB701] = 0x12;
  PutLe16(image, 0xB70E, version);
  return image;
}

std::string SunplusImageB(uint16_t version) {
  std::string image(0x4000, '\0');
  image[5] = 0x10;                        // p = 0x0010
  image[0x10 + 0x17] = 0x40;              // version at 0x40 + 14
  PutLe16(image, 0x4E, version);
  image[0x10 + 0x20] = 0x20;              // serial-number block at 0x2000
  return image;
}

std::string RImage(uint16_t version) {
  std::string image(0xF000, '\0');
  image[0xE800] = 0x08;
  image[0xE801] = 0x04;
  PutLe16(image, 0xE806, version);
  return image;
}

}  // namespace image_maker
