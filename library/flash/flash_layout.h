// The camera's serial flash as the library sees it: its size, its program pages and where the
// stored USB device descriptor lives.
#pragma once

#include <cstdint>

#include "zel/device_descriptor.h"

namespace tandrel {

constexpr int kFlashBytes = 0x20000;
constexpr int kPageBytes = 256;
// Data bytes per write or read packet; a page is written in packets of this size from its start.
constexpr int kPacketBytes = 26;
// The camera reports its release from this descriptor when it is valid.
constexpr int kDeviceDescriptorAddress = static_cast<int>(zel::kDeviceDescriptorAddress);
constexpr int kDeviceDescriptorBytes = static_cast<int>(zel::kDeviceDescriptorBytes);
constexpr int kDeviceDescriptorPage = kDeviceDescriptorAddress / kPageBytes * kPageBytes;
// The write packet of that page that carries the descriptor.
constexpr int kDescriptorPacketBegin =
    kDeviceDescriptorPage + (kDeviceDescriptorAddress - kDeviceDescriptorPage) / kPacketBytes * kPacketBytes;
constexpr int kDescriptorPacketEnd =
    kDescriptorPacketBegin + kPacketBytes < kDeviceDescriptorPage + kPageBytes
        ? kDescriptorPacketBegin + kPacketBytes
        : kDeviceDescriptorPage + kPageBytes;
static_assert(kDeviceDescriptorAddress + kDeviceDescriptorBytes <= kDescriptorPacketEnd,
              "the device descriptor travels in one write packet");

// True when [address, address + length) lies inside the flash.
inline bool RangeFits(int address, int length) {
  return address >= 0 && length >= 0 && static_cast<int64_t>(address) + length <= kFlashBytes;
}

}  // namespace tandrel
