// What every fuzz target shares: taking its input apart from the front, the sparse form of
// large images, and the check that ends the run on a broken invariant (libFuzzer then keeps
// the input as a crash).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace fuzz {

inline void Check(bool holds, const char* invariant) {
  if (holds) return;
  std::fprintf(stderr, "invariant broken: %s\n", invariant);
  std::abort();
}

// Reads from the front; past the end every number is 0 and every byte string empty.
class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  size_t Remaining() const { return size_ - used_; }
  uint8_t Byte() { return Remaining() > 0 ? data_[used_++] : 0; }
  // A little-endian number of width bytes (at most 4).
  uint32_t Le(size_t width) {
    uint32_t value = 0;
    for (size_t i = 0; i < width; ++i) value |= uint32_t{Byte()} << (8 * i);
    return value;
  }
  std::string Bytes(size_t count) {
    count = std::min(count, Remaining());
    std::string bytes(reinterpret_cast<const char*>(data_ + used_), count);
    used_ += count;
    return bytes;
  }
  std::string Rest() { return Bytes(Remaining()); }
  // Two bytes a character, little-endian, as UTF-16 text is stored.
  std::u16string Text16(size_t characters) {
    std::u16string text;
    while (text.size() < characters && Remaining() >= 2) text += static_cast<char16_t>(Le(2));
    return text;
  }

  // An image of up to maxSize bytes in sparse form, so that images of 64 and 128 KiB stay
  // small inputs: a 3-byte size, then patches over a background of erased flash (0xFF).
  std::vector<uint8_t> SparseImage(size_t maxSize, size_t maxPatches = SIZE_MAX) {
    std::vector<uint8_t> image(Le(3) % (maxSize + 1), 0xFF);
    Patch(image, maxPatches);
    return image;
  }
  // Up to maxPatches patches (by default the rest of the input): a 3-byte offset (taken
  // modulo the size), a length byte and that many bytes, cut at the image's end.
  void Patch(std::vector<uint8_t>& image, size_t maxPatches = SIZE_MAX) {
    for (size_t patch = 0; patch < maxPatches && Remaining() > 0; ++patch) {
      const size_t offset = image.empty() ? 0 : Le(3) % image.size();
      const std::string bytes = Bytes(Byte());
      for (size_t i = 0; i < bytes.size() && offset + i < image.size(); ++i) {
        image[offset + i] = static_cast<uint8_t>(bytes[i]);
      }
    }
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t used_ = 0;
};

}  // namespace fuzz
