#include "zel/string_descriptors.h"

#include <algorithm>
#include <cstring>

#include "text/utf16.h"
#include "zel/flash_layout.h"

namespace zel {

int StringSlotSize(const uint8_t* area) {
  for (int offset = 4; offset < kStringAreaProbeBytes; ++offset) {
    if (area[offset] != 0) return offset;
  }
  return 0;
}

std::optional<std::u16string> SlotString(const uint8_t* slot, int slotSize) {
  const int bLength = slot[0];
  if (bLength == 0) return std::u16string();
  if (slot[1] != kStringDescriptorType) return std::nullopt;
  const int bytes = std::max(0, std::min(bLength, slotSize) - 2);
  std::u16string characters;
  for (int i = 0; i + 1 < bytes; i += 2) {
    characters += static_cast<char16_t>(slot[2 + i] | (slot[3 + i] << 8));
  }
  return characters;
}

void CarryManufacturerName(uint8_t* image, const char* name) {
  const int slotSize = StringSlotSize(image + kStringArea);
  size_t n = strnlen(name, kNameBytes);
  if (n == 0) {
    image[kSerialNumberIndexAddress] = 0;
    return;
  }
  if (slotSize == 0) return;
  n = std::min<size_t>(n, static_cast<size_t>((slotSize - 2) / 2));
  image[kManufacturerIndexAddress] = kManufacturerSlot;
  uint8_t* slot = image + kStringArea + kManufacturerSlot * slotSize;
  std::memset(slot, 0, static_cast<size_t>(slotSize));
  slot[0] = static_cast<uint8_t>(2 * n + 2);
  slot[1] = kStringDescriptorType;
  const std::u16string characters = text::Cp1252ToUtf16(std::string(name, n));
  for (size_t i = 0; i < n; ++i) {
    slot[2 + 2 * i] = static_cast<uint8_t>(characters[i] & 0xFF);
    slot[3 + 2 * i] = static_cast<uint8_t>(characters[i] >> 8);
  }
}

}  // namespace zel
