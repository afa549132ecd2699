// Every decoder of ZEL device replies, on a simulated camera whose replies and flash come from
// the input: system information, the encoder settings record, the capability queries, the
// unit-1 and group settings, and the identity read from flash (firmware identity block,
// string descriptors, custom serial number). Each export returns a known code and writes only
// inside the caller's buffers.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "camera/live_world.h"
#include "zel/flash_layout.h"
#include "fuzz_input.h"
#include "scratch_dir.h"
#include "tandrel.h"

namespace {

using fuzz::Check;

constexpr char kDevicePath[] =
    "\\\\?\\usb#vid_0408&pid_2040&mi_00#6&2e3f1c7e&0&0000#{65e8773d-8f56-11d0-a3b9-00a0c9223196}"
    "\\global";
// The controls whose reads the input may answer: encoder record, flash, tuning, device
// controls and settings groups, system information, and unit 1.
constexpr const char* kReplyControls[] = {"0.1", "0.3", "0.4", "0.5", "0.6",
                                          "0.7", "0.8", "1.1", "1.2", "1.3"};
constexpr size_t kMaxReplies = 4;
constexpr size_t kPayloadBytes = 64;
constexpr char kCanary = '\x5A';

const ostrel::testing::ScratchDir& Folder() {
  static const ostrel::testing::ScratchDir folder;
  return folder;
}

std::string Hex(const std::string& bytes) {
  std::string hex;
  char digits[3];
  for (const char c : bytes) {
    std::snprintf(digits, sizeof digits, "%02x", static_cast<uint8_t>(c));
    hex += digits;
  }
  return hex;
}

void Known(int result) { Check(result <= ZEL_OK && result >= ZEL_E_ERASE_INCOMPLETE, "a known result code"); }

// A string export into a buffer of size bytes followed by canaries.
void CheckStringRead(int (*read)(char*, int, int*), int size) {
  std::vector<char> text(static_cast<size_t>(size) + 8, kCanary);
  int count = -1;
  const int result = read(text.data(), size, &count);
  Known(result);
  for (size_t i = static_cast<size_t>(size); i < text.size(); ++i) {
    Check(text[i] == kCanary, "nothing written past the caller's text");
  }
  if (result != ZEL_OK || count <= 0) return;
  Check(count <= size && text[static_cast<size_t>(count) - 1] == '\0',
        "the count includes the NUL and fits the buffer");
}

void ReadEveryDecoder(int stringSize) {
  ZelSystemInfo info{};
  Known(ZelGetSystemInfornation(&info));

  ZelEncoderParams params{};
  Known(ZelEncoderGetParams(&params));
  int gop = 0;
  Known(ZelEncoderGetGOP(&gop));
  ZelEncoderQuality quality{};
  Known(ZelEncoderGetQuality(&quality));
  int level = 0;
  int profile = 0;
  int flags = 0;
  Known(ZelEncoderGetProfileAndLevel(&level, &profile, &flags));
  unsigned char entropy = 0;
  Known(ZelEncoderGetEntropy(&entropy));

  int capabilities = 0;
  Known(ZelEncoderGetNumberOfCapabilities(&capabilities));
  for (const unsigned index : {0u, 1u, 254u}) {
    ZelStreamCaps caps{};
    const int result = ZelEncoderGetStreamCaps(index, &caps);
    Known(result);
    if (result == ZEL_E_DEVICE) {
      const ZelStreamCaps zero{};
      Check(std::memcmp(&caps, &zero, sizeof caps) == 0, "an unmarked reply leaves no caps");
    }
  }

  unsigned char byte = 0;
  unsigned short pan = 0;
  unsigned short tilt = 0;
  unsigned char second = 0;
  int format = 0;
  Known(ZelGetLedMode(&byte));
  Known(ZelGetPanTilt(&pan, &tilt));
  Known(ZelGetFlipMode(&byte, &second));
  Known(ZelGetStreamFormat(&format));
  NorvDeviceInfo device{};
  Known(NorvGetDeviceInfo(&device));
  Known(NorvGetAeMaxTime(&pan));

  ZelFirmwareVersion version{};
  Known(ZelGetFirmwareVersion(&version));
  CheckStringRead(ZelGetSerialNumber, stringSize);
  CheckStringRead(ZelGetiManufacturer, stringSize);
  ZelCustomSerialNumber serial{};
  const int result = ZelGetCustomSerialNumber(&serial);
  Known(result);
  if (result == ZEL_OK) Check(serial.length <= 30, "a custom serial fits its record");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzInput input(data, size);
  const int stringSize = 1 + input.Byte() % 100;
  std::string camera = std::string("[Camera1]\nModel=zel\nDevicePath=") + kDevicePath +
                       "\nFlash=camera.flash\n";
  const size_t replies = input.Byte() % (kMaxReplies + 1);
  for (size_t i = 0; i < replies; ++i) {
    const char* control = kReplyControls[input.Byte() % std::size(kReplyControls)];
    camera += std::string("Reply") + control + "=" + Hex(input.Bytes(input.Byte() % (kPayloadBytes + 1))) + "\n";
  }
  std::vector<uint8_t> flash(zel::kFlashBytes, 0xFF);
  input.Patch(flash);
  Folder().WriteFile(u"camera.flash", std::string(flash.begin(), flash.end()));
  Folder().WriteFile(u"simcam.ini", "[World]\nTimeScale=0.001\n" + camera);
  sim::LiveWorld::Activate(Folder().File(u"simcam.ini"));

  ReadEveryDecoder(stringSize);
  ZelClearDeviceHandle();
  return 0;
}
