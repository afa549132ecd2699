// Where a ZEL camera keeps what it is in its serial flash. A firmware image is the flash
// content from address 0, so an image has the same layout. The one place these addresses are
// written; tests pin them with literal values.
#pragma once

#include <cstdint>

#include "zel/device_descriptor.h"

namespace zel {

constexpr int kFlashBytes = 0x20000;
constexpr int kSectorBytes = 0x1000;
constexpr int kPageBytes = 256;
// Data bytes per write or read packet; a page is written in packets of this size from its start.
constexpr int kPacketBytes = 26;

// The firmware identity block: "VID", "PID" and "REV" sections of 8 bytes, each the label and
// four hexadecimal digits; the image's version is the REV section's digits.
constexpr int kIdentityBlock = 0x240;
constexpr int kIdentityBlockBytes = 24;
constexpr int kIdentitySectionBytes = 8;
constexpr int kImageVersionText = kIdentityBlock + 2 * kIdentitySectionBytes + 3;

// The string-descriptor area: slot n at kStringArea + n x slot size, slot 0 holding the
// 4-byte language descriptor; the slot size is read from the area's first bytes.
constexpr int kStringArea = 0x2020;
constexpr int kStringAreaProbeBytes = 80;
// The slot an update writes the camera's manufacturer name into.
constexpr int kManufacturerSlot = 3;

// The stored USB device descriptor (zel/device_descriptor.h) and the string indices in it:
// iManufacturer and iSerialNumber.
constexpr int kDescriptorAddress = static_cast<int>(kDeviceDescriptorAddress);
constexpr int kDescriptorBytes = static_cast<int>(kDeviceDescriptorBytes);
constexpr int kManufacturerIndexAddress = kDescriptorAddress + 14;
constexpr int kSerialNumberIndexAddress = kDescriptorAddress + 16;
// The page and write packet that carry the descriptor.
constexpr int kDescriptorPage = kDescriptorAddress / kPageBytes * kPageBytes;
constexpr int kDescriptorPacketBegin =
    kDescriptorPage + (kDescriptorAddress - kDescriptorPage) / kPacketBytes * kPacketBytes;
constexpr int kDescriptorPacketEnd = kDescriptorPacketBegin + kPacketBytes < kDescriptorPage + kPageBytes
                                         ? kDescriptorPacketBegin + kPacketBytes
                                         : kDescriptorPage + kPageBytes;
static_assert(kDescriptorAddress + kDescriptorBytes <= kDescriptorPacketEnd,
              "the device descriptor travels in one write packet");

// The custom serial-number record of the host, in a sector of its own that images leave
// erased: a valid byte (1), a length, then up to kMaxCustomSerial bytes.
constexpr int kCustomSerialAddress = 0x19000;
constexpr int kMaxCustomSerial = 30;

// True when [address, address + length) lies inside the flash.
inline bool RangeFits(int address, int length) {
  return address >= 0 && length >= 0 && static_cast<int64_t>(address) + length <= kFlashBytes;
}

}  // namespace zel
