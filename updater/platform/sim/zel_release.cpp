#include "platform/sim/zel_release.h"

namespace ostrel::sim_platform {
namespace {

constexpr size_t kDescriptorAt = 0x4020;
constexpr size_t kReleaseAt = kDescriptorAt + 12;
constexpr uint8_t kDescriptorLength = 18;
constexpr uint8_t kDeviceDescriptorType = 1;

}  // namespace

std::optional<uint16_t> ReleaseFromFlash(std::string_view flash) {
  if (flash.size() < kReleaseAt + 2) return std::nullopt;
  const auto byte = [&](size_t at) { return static_cast<uint8_t>(flash[at]); };
  if (byte(kDescriptorAt) != kDescriptorLength || byte(kDescriptorAt + 1) != kDeviceDescriptorType) {
    return std::nullopt;
  }
  return static_cast<uint16_t>(byte(kReleaseAt) | (byte(kReleaseAt + 1) << 8));
}

std::u16string WithRelease(std::u16string hardwareId, uint16_t release) {
  const size_t field = hardwareId.find(u"REV_");
  if (field == std::u16string::npos || hardwareId.size() < field + 8) return hardwareId;
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  for (int i = 0; i < 4; ++i) hardwareId[field + 4 + i] = kDigits[(release >> (12 - 4 * i)) & 0xF];
  return hardwareId;
}

}  // namespace ostrel::sim_platform
