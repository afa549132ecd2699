// ostrel_image_maker <mode> <version> <output file>: writes a firmware image whose version,
// read by the mode's vendor rule, is the four hexadecimal digits given.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "image_maker/vendor_images.h"
#include "image_maker/zel_image.h"

namespace {

struct Mode {
  const char* name;
  std::string (*make)(uint16_t version);
  const char* what;
};

// One row a vendor rule.
constexpr Mode kModes[] = {
    {"sonix", image_maker::SonixImage, "SONIX, 64 KiB"},
    {"sunplus-a", image_maker::SunplusImageA, "Sunplus rule (a), chip type 0x68"},
    {"sunplus-b", image_maker::SunplusImageB, "Sunplus rule (b), chip type 0x6A"},
    {"r", image_maker::RImage, "\"R\""},
    {"zel", image_maker::ZelImage, "ZEL, 128 KiB: identity block, strings, device descriptor"},
};

int Usage() {
  std::fprintf(stderr, "usage: ostrel_image_maker <mode> <version, 4 hex digits> <output>\nmodes:\n");
  for (const Mode& mode : kModes) std::fprintf(stderr, "  %-10s %s\n", mode.name, mode.what);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 || std::strlen(argv[2]) != 4) return Usage();
  char* end = nullptr;
  const unsigned long version = std::strtoul(argv[2], &end, 16);
  if (*end != '\0') return Usage();
  for (const Mode& mode : kModes) {
    if (std::strcmp(mode.name, argv[1]) != 0) continue;
    const std::string image = mode.make(static_cast<uint16_t>(version));
    std::FILE* file = std::fopen(argv[3], "wb");
    if (file == nullptr) {
      std::perror(argv[3]);
      return 1;
    }
    const bool written = std::fwrite(image.data(), 1, image.size(), file) == image.size();
    return std::fclose(file) == 0 && written ? 0 : 1;
  }
  return Usage();
}
