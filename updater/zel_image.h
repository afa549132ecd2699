// What makes a ZEL image firmware at all: the USB device descriptor the camera enumerates
// with, kept at a fixed place in the flash image.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ostrel {

// The chip vendor number of the ZEL path in pid.ini.
constexpr int32_t kZelVendor = 4;

constexpr size_t kZelDeviceDescriptorOffset = 0x4020;

// True when the image (size bytes at image) holds a device descriptor at its place: length
// byte 18, type byte 1. A shorter image, or one without that descriptor (blank, foreign),
// would leave the camera unable to enumerate once burnt.
bool HasZelDeviceDescriptor(const uint8_t* image, size_t size);

}  // namespace ostrel
