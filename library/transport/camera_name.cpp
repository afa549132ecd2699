#include "transport/camera_name.h"

namespace tandrel {
namespace {

constexpr size_t kConvertedNameBytes = 255;
constexpr size_t kDeviceIdLength = 17;
constexpr size_t kSeparatorIndex = 8;

std::string LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

}  // namespace

std::string ConvertedDisplayName(const std::string& displayName) {
  return displayName.substr(0, kConvertedNameBytes);
}

size_t FindVendorTag(const std::string& displayName) {
  return LowerAscii(displayName).find("vid_");
}

bool IsSupportedCamera(const std::string& displayName) {
  const std::string lower = LowerAscii(displayName);
  const size_t at = lower.find("vid_");
  if (at == std::string::npos) return false;
  const std::string vendor = lower.substr(at, 8);
  return vendor == "vid_0408" || vendor == "vid_04da" || vendor == "vid_1460";
}

std::string DeviceIdOf(const std::string& displayName) {
  const size_t at = FindVendorTag(displayName);
  return at == std::string::npos ? std::string() : displayName.substr(at, kDeviceIdLength);
}

std::string DeviceLabelOf(const std::string& displayName) {
  std::string label = LowerAscii(DeviceIdOf(displayName));
  if (label.size() > kSeparatorIndex) label[kSeparatorIndex] = ' ';
  return label;
}

}  // namespace tandrel
