// ostrel_image_maker <mode> <version> <output file> [zel options]: writes a firmware image whose
// version, read by the mode's vendor rule, is the four hexadecimal digits given. A ZEL image
// may carry identity strings: --manufacturer TEXT, --serial TEXT, and their string indexes
// --manufacturer-index N, --serial-index N (1 to 3).
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
  std::fprintf(stderr,
               "usage: ostrel_image_maker <mode> <version, 4 hex digits> <output> [zel options]\n"
               "modes:\n");
  for (const Mode& mode : kModes) std::fprintf(stderr, "  %-10s %s\n", mode.name, mode.what);
  std::fprintf(stderr,
               "zel options: --manufacturer TEXT, --serial TEXT, --manufacturer-index N,\n"
               "             --serial-index N (string indexes 1 to 3; default 2 and 3)\n");
  return 2;
}

// A string index the image's four string slots hold besides the language slot.
bool ParseIndex(const char* text, uint8_t& index) {
  if (std::strlen(text) != 1 || text[0] < '1' || text[0] > '3') return false;
  index = static_cast<uint8_t>(text[0] - '0');
  return true;
}

// The ZEL options from argv[first] on; false on anything else.
bool ParseZelOptions(int argc, char** argv, int first, image_maker::ZelImageSpec& spec) {
  for (int i = first; i < argc; i += 2) {
    if (i + 1 >= argc) return false;
    const std::string option = argv[i];
    const char* value = argv[i + 1];
    if (option == "--manufacturer") {
      spec.manufacturer = value;
    } else if (option == "--serial") {
      spec.serialNumber = value;
    } else if (option == "--manufacturer-index") {
      if (!ParseIndex(value, spec.manufacturerIndex)) return false;
    } else if (option == "--serial-index") {
      if (!ParseIndex(value, spec.serialNumberIndex)) return false;
    } else {
      return false;
    }
  }
  return spec.manufacturer.empty() || spec.serialNumber.empty() ||
         spec.manufacturerIndex != spec.serialNumberIndex;
}

bool WriteFile(const char* path, const std::string& image) {
  std::FILE* file = std::fopen(path, "wb");
  if (file == nullptr) {
    std::perror(path);
    return false;
  }
  const bool written = std::fwrite(image.data(), 1, image.size(), file) == image.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4 || std::strlen(argv[2]) != 4) return Usage();
  char* end = nullptr;
  const unsigned long version = std::strtoul(argv[2], &end, 16);
  if (*end != '\0') return Usage();
  if (std::strcmp(argv[1], "zel") == 0) {
    image_maker::ZelImageSpec spec;
    spec.version = static_cast<uint16_t>(version);
    if (!ParseZelOptions(argc, argv, 4, spec)) return Usage();
    return WriteFile(argv[3], image_maker::ZelImage(spec)) ? 0 : 1;
  }
  if (argc != 4) return Usage();
  for (const Mode& mode : kModes) {
    if (std::strcmp(mode.name, argv[1]) != 0) continue;
    return WriteFile(argv[3], mode.make(static_cast<uint16_t>(version))) ? 0 : 1;
  }
  return Usage();
}
