// zel_expected_flash <program folder> <device path> <image> <output>
// zel_expected_flash --identity <flash>
//
// Writes the flash a complete ZEL update should leave in the camera as it is now: the image
// with the camera's identity carried in. The identity is read and carried by the Tandrel of
// the program folder (its simulated world is the folder's simcam.ini), through the exports
// the updater calls for it, so the expectation follows the library's own rule rather than a
// second copy of it. With --identity it prints where a flash keeps the camera's identity, one
// "<offset> <length>" line (decimal) each: the string slots up to the manufacturer's, and the
// iManufacturer and iSerialNumber bytes. Exit code 0, or 1 with a message on standard error.
#include <dlfcn.h>

#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "zel/flash_layout.h"
#include "zel/string_descriptors.h"

namespace {

using SetDeviceHandleFn = int (*)(void* device);
using GetManufacturerFn = void (*)(char* name, unsigned char* nameLength);
using SetManufacturerFn = int (*)(unsigned char* image, int reserved, const char* name);

// The updater hands the library a copy of this size, whatever the image's length.
constexpr size_t kImageBufferBytes = 128 * 1024;

int Fail(const std::string& message) {
  std::cerr << "zel_expected_flash: " << message << '\n';
  return 1;
}

std::vector<unsigned char> ReadFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int PrintIdentityRanges(const char* flashPath) {
  const std::vector<unsigned char> flash = ReadFile(flashPath);
  if (flash.size() < static_cast<size_t>(zel::kSerialNumberIndexAddress) + 1) {
    return Fail(std::string("no ZEL flash in ") + flashPath);
  }
  const int slotSize = zel::StringSlotSize(flash.data() + zel::kStringArea);
  std::cout << zel::kStringArea << ' ' << (zel::kManufacturerSlot + 1) * slotSize << '\n'
            << zel::kManufacturerIndexAddress << " 1\n"
            << zel::kSerialNumberIndexAddress << " 1\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--identity") return PrintIdentityRanges(argv[2]);
  if (argc != 5) {
    return Fail("usage: zel_expected_flash <program folder> <device path> <image> <output>\n"
                "       zel_expected_flash --identity <flash>");
  }
  const std::string library = std::string(argv[1]) + "/libtandrel.so";
  void* tandrel = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (tandrel == nullptr) return Fail(dlerror());
  const auto setDeviceHandle =
      reinterpret_cast<SetDeviceHandleFn>(dlsym(tandrel, "ZelSetDeviceHandle"));
  const auto getManufacturer =
      reinterpret_cast<GetManufacturerFn>(dlsym(tandrel, "pfn_GetManufacturer"));
  const auto setManufacturer =
      reinterpret_cast<SetManufacturerFn>(dlsym(tandrel, "pfn_UVC_SetManufactureStringToFW"));
  if (!setDeviceHandle || !getManufacturer || !setManufacturer) {
    return Fail("missing export in " + library);
  }

  std::vector<unsigned char> image = ReadFile(argv[3]);
  if (image.empty() || image.size() > kImageBufferBytes) {
    return Fail(std::string("no image of at most 128 KiB in ") + argv[3]);
  }
  const size_t length = image.size();
  image.resize(kImageBufferBytes, 0);

  // In the simulated world a device handle is the camera's device path, NUL-terminated.
  std::string devicePath = argv[2];
  if (setDeviceHandle(devicePath.data()) != 0) return Fail("no camera at " + devicePath);
  char name[256] = {};
  unsigned char nameLength = 0;
  getManufacturer(name, &nameLength);
  if (setManufacturer(image.data(), 1, name) != 0) return Fail("the name was not carried");

  std::ofstream out(argv[4], std::ios::binary);
  out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(length));
  if (!out.flush()) return Fail(std::string("cannot write ") + argv[4]);
  dlclose(tandrel);
  return 0;
}
