// zel_flash_files: the ZEL flash contents the shipped-program tests start from and expect.
//   camera <version> <manufacturer> <output>   a camera's flash: an image of that version
//                                              whose manufacturer string is the name
//   updated <image> <manufacturer> <output>    the flash after a camera with that manufacturer
//                                              name was updated with the image
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "image_maker/zel_image.h"
#include "program_folder.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: zel_flash_files camera <version, 4 hex digits> <manufacturer> <output>\n"
               "       zel_flash_files updated <image> <manufacturer> <output>\n");
  return 2;
}

bool Write(const char* path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary);
  file << bytes;
  return static_cast<bool>(file.flush());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) return Usage();
  std::string flash;
  if (std::strcmp(argv[1], "camera") == 0) {
    image_maker::ZelImageSpec spec;
    spec.version = static_cast<uint16_t>(std::strtoul(argv[2], nullptr, 16));
    spec.manufacturer = argv[3];
    const std::vector<uint8_t> image = image_maker::MakeZelImage(spec);
    flash.assign(image.begin(), image.end());
  } else if (std::strcmp(argv[1], "updated") == 0) {
    std::ifstream file(argv[2], std::ios::binary);
    std::ostringstream image;
    image << file.rdbuf();
    if (!file) return Usage();
    flash = ostrel::testing::WithManufacturer(image.str(), argv[3]);
  } else {
    return Usage();
  }
  return Write(argv[4], flash) ? 0 : 1;
}
