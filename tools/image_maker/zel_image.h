// Firmware images for ZEL cameras: the flash content from address 0, with the identity
// block, the string-descriptor area and the USB device descriptor the library and the
// simulated camera read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace image_maker {

struct ZelImageSpec {
  uint16_t vendorId = 0x0408;
  uint16_t productId = 0x2040;
  uint16_t version = 0x0107;      // bcdDevice, and the REV text as four hex digits
  // String 1 is always present: the slot size is read from where slot 1 starts.
  std::string product = "Camera"; // string 1
  std::string manufacturer;       // empty: no manufacturer string, index 0
  std::string serialNumber;       // empty: no serial-number string, index 0
  // Their string indexes (slots 2 and 3). An image carried through an update holds the
  // camera's manufacturer in slot 3, where the update puts it.
  uint8_t manufacturerIndex = 2;
  uint8_t serialNumberIndex = 3;
  uint32_t slotSize = 0x40;       // bytes per string-descriptor slot
  uint32_t size = 0x20000;        // image length in bytes
  uint32_t seed = 1;              // the firmware body is a repeatable byte pattern
};

std::vector<uint8_t> MakeZelImage(const ZelImageSpec& spec);
// The default ZEL image with the given version, as the image maker writes it.
std::string ZelImage(uint16_t version);
// The same with the identity strings of spec (its version and strings; the rest as default).
std::string ZelImage(const ZelImageSpec& spec);

}  // namespace image_maker
