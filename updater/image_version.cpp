#include "image_version.h"

#include <optional>

#include "zel/image_version.h"

namespace ostrel {
namespace {

// Bounds-checked reads of an image: nothing when a byte lies beyond its end.
class ImageBytes {
 public:
  ImageBytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  size_t size() const { return size_; }
  std::optional<uint8_t> At(size_t offset) const {
    if (offset >= size_) return std::nullopt;
    return data_[offset];
  }
  std::optional<uint16_t> Le16(size_t offset) const {
    if (offset >= size_ || size_ - offset < 2) return std::nullopt;
    return static_cast<uint16_t>(data_[offset] | (data_[offset + 1] << 8));
  }
  std::optional<uint16_t> Be16(size_t offset) const {
    if (offset >= size_ || size_ - offset < 2) return std::nullopt;
    return static_cast<uint16_t>((data_[offset] << 8) | data_[offset + 1]);
  }
  const uint8_t* data() const { return data_; }

 private:
  const uint8_t* data_;
  size_t size_;
};

constexpr uint8_t kDescriptorMark = 0x12;

std::optional<uint16_t> SunplusVersion(const ImageBytes& b) {
  // (a) a version record at one of two fixed places, unless 0x8000 holds the mark.
  if (b.size() >= 0xB701 && b.At(0x8000) != kDescriptorMark) {
    const auto high = b.At(0xB701);
    if (!high) return std::nullopt;
    if (*high == kDescriptorMark) return b.Le16(0xB70E);
    if (b.At(0x6781) == kDescriptorMark) return b.Le16(0x678E);
  }
  // (b) through the pointer at offset 4; the OR (not a sum) is the rule as found in the field.
  const auto p4 = b.At(4);
  const auto p5 = b.At(5);
  if (!p4 || !p5) return std::nullopt;
  const size_t p = (size_t{*p4} << 8) + *p5;
  const auto q16 = b.At(p + 0x16);
  const auto q17 = b.At(p + 0x17);
  if (!q16 || !q17) return std::nullopt;
  const size_t q = (size_t{*q16} << 8) | (size_t{*q17} + 14);
  return b.Le16(q);
}

std::optional<uint16_t> RVersion(const ImageBytes& b) {
  constexpr size_t kScanStart = 0xE800;
  if (b.size() <= kScanStart) return std::nullopt;
  for (size_t i = kScanStart; i + 1 < b.size(); ++i) {
    if (b.data()[i] == 0x08 && b.data()[i + 1] == 0x04) return b.Le16(i + 6);
  }
  return std::nullopt;
}

std::optional<uint16_t> SonixVersion(const ImageBytes& b) {
  const auto page = b.At(0x168);
  if (!page) return std::nullopt;
  const size_t q = ((size_t{*page} << 8) + 10) & 0xFFFF;
  return b.Be16(q);
}

}  // namespace

uint16_t ReadImageVersion(int32_t vendor, const uint8_t* image, size_t size, bool multiImage) {
  if (image == nullptr) return kUnreadableVersion;
  const ImageBytes bytes(image, size);
  std::optional<uint16_t> version;
  switch (vendor) {
    case 1:
      if (!multiImage) version = SunplusVersion(bytes);
      break;
    case 2:
      version = RVersion(bytes);
      break;
    case 3:
      if (!multiImage) version = SonixVersion(bytes);
      break;
    case 4:
      version = zel::ImageVersion(image, size);
      break;
    default:
      break;
  }
  return version.value_or(kUnreadableVersion);
}

}  // namespace ostrel
