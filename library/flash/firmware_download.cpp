// The download exports the updater looks up by name: manufacturer name, erase with check,
// name carried into an image, write with verify, chip reset.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "tandrel.h"
#include "transport/debug_output.h"
#include "zel/flash_layout.h"
#include "zel/string_descriptors.h"

namespace tandrel {
namespace {

using zel::kDescriptorPacketBegin;
using zel::kDescriptorPacketEnd;
using zel::kDescriptorPage;
using zel::kFlashBytes;
using zel::kPageBytes;
constexpr int kSpiConfigWord = 16;

void PrepareFlashInterface() {
  ZelSetPll();
  ZelFlashSetSpiConfig(kSpiConfigWord, 0);
}

// Flash addresses from begin up to, not including, end.
struct FlashSpan {
  int begin;
  int end;
};

// The download's write order. The stored device descriptor goes last, its page just before it:
// until all else is written and verified the descriptor stays erased, so a camera left by a
// failed or interrupted download reports the release of its hardware id, and the next run
// updates it again. The spans follow the packet grid, so the packets are those of one write.
constexpr FlashSpan kWriteOrder[] = {
    {0, kDescriptorPage},
    {kDescriptorPage + kPageBytes, kFlashBytes},
    {kDescriptorPage, kDescriptorPacketBegin},
    {kDescriptorPacketEnd, kDescriptorPage + kPageBytes},
    {kDescriptorPacketBegin, kDescriptorPacketEnd},
};

// Writes one span of the image and reads it back: 0, 1 when the flash differs from the image,
// or the write's code. A read-back that failed verifies nothing: the first failure is returned.
int WriteAndVerify(FlashSpan span, const unsigned char* data, unsigned char* readBack) {
  const int length = span.end - span.begin;
  const int written = ZelFlashWrite(span.begin, data, length);
  const int read = ZelFlashRead(span.begin, readBack, length);
  if (read != ZEL_OK) return written != ZEL_OK ? written : read;
  if (std::memcmp(readBack, data, static_cast<size_t>(length)) != 0) return 1;
  return written;
}

}  // namespace
}  // namespace tandrel

using namespace tandrel;

extern "C" TANDREL_API void pfn_GetManufacturer(char* name, unsigned char* nameLength) {
  if (name == nullptr || nameLength == nullptr) return;
  int count = 0;
  ZelGetiManufacturer(name, static_cast<int>(zel::kNameBytes), &count);
  *nameLength = static_cast<unsigned char>(count);
}

extern "C" TANDREL_API int pfn_UVC_SetManufactureStringToFW(unsigned char* image, int /*reserved*/,
                                                            const char* name) {
  if (image == nullptr || name == nullptr) return ZEL_E_INVALID_ARG;
  DebugLine("length(by strlen(str)) in set SN=" + std::to_string(strnlen(name, zel::kNameBytes)));
  zel::CarryManufacturerName(image, name);
  return ZEL_OK;
}

extern "C" TANDREL_API int pfn_UVC_EEPROMErase(void) {
  PrepareFlashInterface();
  ZelFlashErase();
  const auto readBack = std::make_unique<unsigned char[]>(kFlashBytes);
  // Only a complete read-back that is all 0xFF counts as erased.
  if (ZelFlashRead(0, readBack.get(), kFlashBytes) != ZEL_OK) return 1;
  for (int i = 0; i < kFlashBytes; ++i) {
    if (readBack[i] != 0xFF) return 1;
  }
  return 0;
}

extern "C" TANDREL_API int pfn_EEPROM_DownLoad2(int /*reserved*/, int address,
                                                const unsigned char* image, int length) {
  if (image == nullptr || !zel::RangeFits(address, length)) return ZEL_E_INVALID_ARG;
  PrepareFlashInterface();
  const auto readBack = std::make_unique<unsigned char[]>(kFlashBytes);
  for (const FlashSpan& whole : kWriteOrder) {
    const FlashSpan span{std::max(whole.begin, address), std::min(whole.end, address + length)};
    if (span.end <= span.begin) continue;
    const int result = WriteAndVerify(span, image + (span.begin - address), readBack.get());
    if (result != ZEL_OK) return result;
  }
  return ZEL_OK;
}

extern "C" TANDREL_API int pfn_UVC_ResetIC(void) { return ZelReset() != ZEL_OK ? 31 : 0; }
