#include "zel_image.h"

namespace ostrel {
namespace {

constexpr uint8_t kDeviceDescriptorLength = 18;
constexpr uint8_t kDeviceDescriptorType = 1;

}  // namespace

bool HasZelDeviceDescriptor(const uint8_t* image, size_t size) {
  if (image == nullptr || size < kZelDeviceDescriptorOffset + kDeviceDescriptorLength) return false;
  return image[kZelDeviceDescriptorOffset] == kDeviceDescriptorLength &&
         image[kZelDeviceDescriptorOffset + 1] == kDeviceDescriptorType;
}

}  // namespace ostrel
