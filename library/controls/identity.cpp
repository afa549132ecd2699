// Device identity from the camera's flash: the firmware identity block, the serial-number and
// manufacturer string descriptors, and the custom serial number record.
#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <string>

#include "tandrel.h"
#include "text/utf16.h"
#include "zel/flash_layout.h"
#include "zel/string_descriptors.h"

namespace tandrel {
namespace {

using zel::kCustomSerialAddress;
using zel::kIdentityBlock;
using zel::kIdentityBlockBytes;
using zel::kIdentitySectionBytes;
using zel::kStringArea;
using zel::kStringAreaProbeBytes;
constexpr size_t kMaxStringCharacters = 79;

void CopyIdentityField(const uint8_t* section, const char* label, char (&field)[5]) {
  std::memset(field, 0, sizeof field);
  if (std::memcmp(section, label, 3) == 0) {
    // A bounded copy: stops at a zero byte; five non-zero bytes leave no terminator.
    for (size_t i = 0; i < sizeof field && section[3 + i] != 0; ++i) {
      field[i] = static_cast<char>(section[3 + i]);
    }
  } else {
    std::memcpy(field, "FFFF", 5);
  }
}

// The string descriptor whose index is kept at indexAddress, as ANSI text.
int LookUpString(int indexAddress, char* text, int size, int* count) {
  if (text == nullptr || count == nullptr || size <= 0) return ZEL_E_INVALID_ARG;
  unsigned char index = 0;
  int result = ZelFlashRead(indexAddress, &index, 1);
  if (result != ZEL_OK) return result;
  if (index == 0) {
    *count = 0;
    return ZEL_OK;
  }
  std::array<uint8_t, kStringAreaProbeBytes> head{};
  result = ZelFlashRead(kStringArea, head.data(), static_cast<int>(head.size()));
  if (result != ZEL_OK) return result;
  const int slotSize = zel::StringSlotSize(head.data());
  if (slotSize == 0) {
    *count = 0;
    return ZEL_E_NOT_SUPPORTED;
  }
  std::array<uint8_t, kStringAreaProbeBytes> slot{};
  result = ZelFlashRead(kStringArea + index * slotSize, slot.data(), slotSize);
  if (result != ZEL_OK) return result;
  if (slot[0] == 0) return ZEL_OK;
  // Not a string descriptor, e.g. an erased slot behind the erased index 0xFF that an
  // interrupted download leaves: the camera has no such string, not one of 0xFFFF characters.
  std::optional<std::u16string> characters = zel::SlotString(slot.data(), slotSize);
  if (!characters) {
    *count = 0;
    return ZEL_OK;
  }
  characters->resize(std::min({characters->size(), static_cast<size_t>(size) - 1, kMaxStringCharacters}));
  const std::string ansi = text::Utf16ToCp1252(*characters);
  std::memcpy(text, ansi.data(), ansi.size());
  text[ansi.size()] = '\0';
  *count = static_cast<int>(characters->size()) + 1;
  return ZEL_OK;
}

}  // namespace
}  // namespace tandrel

using namespace tandrel;

extern "C" TANDREL_API int ZelGetFirmwareVersion(ZelFirmwareVersion* version) {
  if (version == nullptr) return ZEL_E_INVALID_ARG;
  // Zero-filled first: a failed read then gives "FFFF" in every field.
  uint8_t block[kIdentityBlockBytes] = {};
  const int result = ZelFlashRead(kIdentityBlock, block, kIdentityBlockBytes);
  CopyIdentityField(block, "VID", version->vendor);
  CopyIdentityField(block + kIdentitySectionBytes, "PID", version->product);
  CopyIdentityField(block + 2 * kIdentitySectionBytes, "REV", version->revision);
  return result;
}

extern "C" TANDREL_API int ZelGetSerialNumber(char* text, int size, int* count) {
  return LookUpString(zel::kSerialNumberIndexAddress, text, size, count);
}

extern "C" TANDREL_API int ZelGetiManufacturer(char* text, int size, int* count) {
  return LookUpString(zel::kManufacturerIndexAddress, text, size, count);
}

extern "C" TANDREL_API int ZelSetCustomSerialNumber(ZelCustomSerialNumber record) {
  if (record.length > zel::kMaxCustomSerial) return ZEL_E_INVALID_ARG;
  // Bytes past the serial stay erased.
  uint8_t flash[sizeof(ZelCustomSerialNumber)];
  std::memset(flash, 0xFF, sizeof flash);
  flash[0] = 1;
  flash[1] = record.length;
  std::memcpy(flash + 2, record.serial, record.length);
  const int erased = ZelFlashSectorErase(kCustomSerialAddress);
  if (erased != ZEL_OK) return erased;
  return ZelFlashWrite(kCustomSerialAddress, flash, sizeof flash);
}

extern "C" TANDREL_API int ZelGetCustomSerialNumber(ZelCustomSerialNumber* record) {
  if (record == nullptr) return ZEL_E_INVALID_ARG;
  uint8_t flash[sizeof(ZelCustomSerialNumber)] = {};
  const int result = ZelFlashRead(kCustomSerialAddress, flash, sizeof flash);
  if (result != ZEL_OK) return result;
  record->valid = flash[0] == 1 ? 1 : 0;
  record->length = flash[1];
  if (record->length > zel::kMaxCustomSerial) return ZEL_E_INVALID_ARG;
  std::memcpy(record->serial, flash + 2, record->length);
  return ZEL_OK;
}
