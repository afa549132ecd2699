#include "image_maker/zel_image.h"

#include <algorithm>
#include <cstdio>

#include "zel/flash_layout.h"
#include "zel/string_descriptors.h"

namespace image_maker {
namespace {

constexpr uint32_t kIdentityBlock = zel::kIdentityBlock;
constexpr uint32_t kIdentitySection = zel::kIdentitySectionBytes;
constexpr uint32_t kStringArea = zel::kStringArea;
constexpr uint32_t kDeviceDescriptor = zel::kDescriptorAddress;
constexpr uint32_t kCustomSerialSector = zel::kCustomSerialAddress;
constexpr uint32_t kSectorBytes = zel::kSectorBytes;

void PutText(std::vector<uint8_t>& image, uint32_t offset, const char* label, uint16_t value) {
  char text[6];
  std::snprintf(text, sizeof text, "%04x", value);
  std::copy_n(label, 3, image.begin() + offset);
  std::copy_n(text, 5, image.begin() + offset + 3);  // four digits and their terminator
}

// String descriptor n in its slot; an empty text leaves the slot empty and gives index 0.
uint8_t PutString(std::vector<uint8_t>& image, const ZelImageSpec& spec, uint8_t index,
                  const std::string& text) {
  if (text.empty()) return 0;
  const uint32_t slot = kStringArea + index * spec.slotSize;
  const size_t characters = std::min<size_t>(text.size(), (spec.slotSize - 2) / 2);
  std::fill_n(image.begin() + slot, spec.slotSize, 0);
  image[slot] = static_cast<uint8_t>(2 + 2 * characters);
  image[slot + 1] = zel::kStringDescriptorType;
  for (size_t i = 0; i < characters; ++i) image[slot + 2 + 2 * i] = static_cast<uint8_t>(text[i]);
  return index;
}

void PutLe16(std::vector<uint8_t>& image, uint32_t offset, uint16_t value) {
  image[offset] = static_cast<uint8_t>(value);
  image[offset + 1] = static_cast<uint8_t>(value >> 8);
}

}  // namespace

std::vector<uint8_t> MakeZelImage(const ZelImageSpec& spec) {
  std::vector<uint8_t> image(std::max<uint32_t>(spec.size, kDeviceDescriptor + zel::kDescriptorBytes));
  // A repeatable body, so that a flash that differs from the image in one byte is noticed.
  uint32_t state = spec.seed * 2654435761u + 1;
  for (auto& byte : image) {
    state = state * 1103515245u + 12345u;
    byte = static_cast<uint8_t>(state >> 16);
  }
  PutText(image, kIdentityBlock, "VID", spec.vendorId);
  PutText(image, kIdentityBlock + kIdentitySection, "PID", spec.productId);
  PutText(image, kIdentityBlock + 2 * kIdentitySection, "REV", spec.version);

  std::fill_n(image.begin() + kStringArea, 4 * spec.slotSize, 0);
  const uint8_t language[] = {4, 3, 0x09, 0x04};
  std::copy(std::begin(language), std::end(language), image.begin() + kStringArea);
  const uint8_t product = PutString(image, spec, 1, spec.product.empty() ? "Camera" : spec.product);
  const uint8_t manufacturer = PutString(image, spec, spec.manufacturerIndex, spec.manufacturer);
  const uint8_t serial = PutString(image, spec, spec.serialNumberIndex, spec.serialNumber);

  const uint32_t d = kDeviceDescriptor;
  const uint8_t descriptor[18] = {18, 1, 0x00, 0x02, 0xEF, 0x02, 0x01, 64, 0, 0, 0, 0, 0, 0,
                                  manufacturer, product, serial, 1};
  std::copy(std::begin(descriptor), std::end(descriptor), image.begin() + d);
  PutLe16(image, d + 8, spec.vendorId);
  PutLe16(image, d + 10, spec.productId);
  PutLe16(image, d + 12, spec.version);

  // The custom serial-number sector belongs to the host: an image leaves it erased.
  if (image.size() >= kCustomSerialSector + kSectorBytes) {
    std::fill_n(image.begin() + kCustomSerialSector, kSectorBytes, 0xFF);
  }
  image.resize(spec.size);
  return image;
}

std::string ZelImage(const ZelImageSpec& spec) {
  const std::vector<uint8_t> image = MakeZelImage(spec);
  return std::string(image.begin(), image.end());
}

std::string ZelImage(uint16_t version) {
  ZelImageSpec spec;
  spec.version = version;
  return ZelImage(spec);
}

}  // namespace image_maker
