// The text rules a camera and pid.ini are read with: four-digit hex parsing (8- and 16-bit
// characters), hardware ids, instance ids and USB device paths, and pid.ini's
// product-id list, BIN sentinel and CHIP numbers.
#include <algorithm>
#include <cstdint>
#include <string>

#include "camera_identity.h"
#include "config_rules.h"
#include "fuzz_input.h"
#include "text/hex4.h"
#include "text/utf16.h"
#include "wide_format.h"

namespace {

using fuzz::Check;

void CheckHex4(const std::string& bytes) {
  char narrow[4] = {};
  char16_t wide[4] = {};
  for (size_t i = 0; i < bytes.size(); ++i) {
    narrow[i] = bytes[i];
    wide[i] = static_cast<uint8_t>(bytes[i]);
  }
  Check(text::ParseHex4(narrow) == text::ParseHex4(wide),
        "8- and 16-bit characters parse alike");
}

void CheckIdentity(const std::u16string& text, uint16_t vid, uint16_t pid, uint16_t bcd) {
  const ostrel::CameraIdentity parsed = ostrel::ParseHardwareId(text);
  Check(text.size() < 8 + 4 || parsed.vid == text::ParseHex4(text.data() + 8),
        "the vendor id is characters 8 to 11");
  // Any id written in the hardware-id form reads back.
  const std::u16string formatted =
      ostrel::FormatWide(u"USB\\VID_%04X&PID_%04X&REV_%04X&MI_00", {vid, pid, bcd});
  const ostrel::CameraIdentity back = ostrel::ParseHardwareId(formatted);
  Check(back.vid == vid && back.pid == pid && back.bcd == bcd, "a formatted hardware id reads back");
  ostrel::IsBootRomIdentity(parsed);

  const std::string path = text::Utf16ToCp1252(text);
  ostrel::IsUsbDevicePath(path);
  // A path made of an instance id that the ANSI code page carries unchanged, each "\" written
  // "#", holds that instance id.
  std::string pathForm = path;
  std::replace(pathForm.begin(), pathForm.end(), '\\', '#');
  if (!text.empty() && text::Cp1252ToUtf16(path) == text) {
    Check(ostrel::DevicePathHoldsInstanceId("\\\\?\\" + pathForm + "#{x}", text),
          "a path made of an instance id holds it");
  }
}

void CheckPidIniRules(const std::u16string& text) {
  const std::vector<uint16_t> pids = ostrel::ParsePidList(text);
  Check(pids.size() == text.size() / ostrel::kSectionSlotChars, "one product id per whole slot");
  ostrel::DecimalValue(text);
  if (ostrel::IsBinSentinel(text)) {
    Check(text.size() >= 13 && text.compare(0, 9, u"OOOXXXOOO") == 0 &&
              text.compare(10, 3, u"XXX") == 0,
          "the sentinel's fixed characters");
  }
  const int32_t value = ostrel::DecimalValue(ostrel::FormatWide(u"%d", {static_cast<int>(text.size())}));
  Check(value == static_cast<int32_t>(text.size()), "a formatted number reads back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzInput input(data, size);
  CheckHex4(input.Bytes(4));
  const uint16_t vid = static_cast<uint16_t>(input.Le(2));
  const uint16_t pid = static_cast<uint16_t>(input.Le(2));
  const uint16_t bcd = static_cast<uint16_t>(input.Le(2));
  const std::u16string text = input.Text16(input.Remaining() / 2);
  CheckIdentity(text, vid, pid, bcd);
  CheckPidIniRules(text);
  return 0;
}
