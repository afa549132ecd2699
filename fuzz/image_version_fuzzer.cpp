// Every image version rule on any image (in sparse form, up to 128 KiB), each given exactly
// the image's bytes so that a read past its end is caught; and the stored device descriptor
// rule of ZEL flash content.
#include <cstdint>
#include <memory>

#include "fuzz_input.h"
#include "image_version.h"
#include "zel/device_descriptor.h"

namespace {

using fuzz::Check;

constexpr size_t kLargestImage = 0x20000;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzInput input(data, size);
  const std::vector<uint8_t> sparse = input.SparseImage(kLargestImage);
  // A buffer of exactly the image's size: AddressSanitizer sees the first byte past it.
  const auto image = std::make_unique<uint8_t[]>(sparse.size());
  std::copy(sparse.begin(), sparse.end(), image.get());

  for (int32_t vendor = -1; vendor <= 5; ++vendor) {
    for (const bool multiImage : {false, true}) {
      const uint16_t version = ostrel::ReadImageVersion(vendor, image.get(), sparse.size(), multiImage);
      if (vendor < 1 || vendor > 4 || (multiImage && (vendor == 1 || vendor == 3))) {
        Check(version == ostrel::kUnreadableVersion, "no rule reads this vendor or mode");
      }
    }
  }
  for (int32_t vendor = 1; vendor <= 4; ++vendor) {
    Check(ostrel::ReadImageVersion(vendor, nullptr, sparse.size(), false) == ostrel::kUnreadableVersion,
          "no image has no version");
    Check(ostrel::ReadImageVersion(vendor, image.get(), 0, false) == ostrel::kUnreadableVersion,
          "an empty image has no version");
  }

  const std::optional<uint16_t> release = zel::StoredDeviceDescriptorRelease(image.get(), sparse.size());
  if (release) {
    const uint8_t* descriptor = image.get() + zel::kDeviceDescriptorAddress;
    Check(descriptor[0] == zel::kDeviceDescriptorBytes && descriptor[1] == 1,
          "a release comes only from a valid descriptor");
    Check(*release == (descriptor[12] | descriptor[13] << 8), "the release is bcdDevice");
  }
  return 0;
}
