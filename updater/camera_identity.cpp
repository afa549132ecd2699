#include "camera_identity.h"

#include <algorithm>

#include "text/hex4.h"
#include "text/utf16.h"

namespace ostrel {
namespace {

struct RomIdentity {
  uint16_t vid;
  uint16_t pid;
  bool anyRelease;
  uint16_t bcd;
};

constexpr RomIdentity kRomIdentities[] = {
    {0x04FC, 0x2080, false, 0x0100}, {0x1BCF, 0x2082, false, 0x0100},
    {0x1BCF, 0x0B01, false, 0x0100}, {0x0C45, 0x6362, true, 0},
    {0x0BDA, 0x5821, true, 0},
};

constexpr size_t kVidAt = 8;
constexpr size_t kPidAt = 17;
constexpr size_t kRevAt = 26;

}  // namespace

bool IsUsbDevicePath(std::string_view devicePath) {
  if (devicePath.size() < 7) return false;
  const std::string_view bus = devicePath.substr(4, 3);
  return bus == "usb" || bus == "USB";
}

bool DevicePathHoldsInstanceId(std::string_view devicePath, std::u16string_view instanceId) {
  if (instanceId.empty()) return false;
  std::u16string pathForm(instanceId);
  std::replace(pathForm.begin(), pathForm.end(), u'\\', u'#');
  const std::u16string path = text::Cp1252ToUtf16(devicePath);
  const auto sameLetter = [](char16_t a, char16_t b) {
    return text::ToUpperAscii(a) == text::ToUpperAscii(b);
  };
  return std::search(path.begin(), path.end(), pathForm.begin(), pathForm.end(), sameLetter) !=
         path.end();
}

CameraIdentity ParseHardwareId(std::u16string_view hardwareId) {
  char16_t fields[kRevAt + 4] = {};
  std::copy_n(hardwareId.begin(), std::min(hardwareId.size(), std::size(fields)), fields);
  return {text::ParseHex4(fields + kVidAt), text::ParseHex4(fields + kPidAt), text::ParseHex4(fields + kRevAt)};
}

bool IsBootRomIdentity(const CameraIdentity& identity) {
  return std::any_of(std::begin(kRomIdentities), std::end(kRomIdentities),
                     [&](const RomIdentity& rom) {
                       return rom.vid == identity.vid && rom.pid == identity.pid &&
                              (rom.anyRelease || rom.bcd == identity.bcd);
                     });
}

}  // namespace ostrel
