// The version of a ZEL firmware image: the four hexadecimal digits of its identity block's REV
// section, read by the four-digit rule.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "text/hex4.h"
#include "zel/flash_layout.h"

namespace zel {

// Nothing when the image ends before the digits do.
inline std::optional<uint16_t> ImageVersion(const uint8_t* image, size_t size) {
  if (image == nullptr || size < static_cast<size_t>(kImageVersionText) + 4) return std::nullopt;
  return text::ParseHex4(reinterpret_cast<const char*>(image + kImageVersionText));
}

}  // namespace zel
