// The SONIX rules on the camera's reported bytes; what each reads is in the header.
#include "engines/sonix_rules.h"

#include <cstring>

#include "engines/part_image.h"
#include "program_values.h"

namespace ostrel::sonix {
namespace {

constexpr uint8_t kKindL = 0x4C;
constexpr uint8_t kKindS = 0x53;

constexpr ProtectionRow kProtectionRows[] = {
    {{"231R"}, 2, false, 0x000F},
    {{"232R", "275R", "276R", "290R"}, 1, false, 0xC034},
    {{"232R"}, 2, true, 0},
    {{"286R", "288R", "289R", "270R", "271R"}, 1, true, 0},
};

}  // namespace

const ProtectionRow* MatchingRow(const char (&romVersion)[burner_ap_lib::kRomVersionBytes]) {
  const uint8_t byte5 = static_cast<uint8_t>(romVersion[5]);
  for (const ProtectionRow& row : kProtectionRows) {
    if (row.byte5 != byte5) continue;
    for (const char* text : row.versions) {
      if (text != nullptr && std::strncmp(romVersion, text, 4) == 0) return &row;
    }
  }
  return nullptr;
}

int ChoosePart(const uint8_t (&identity)[kIdentityBytes]) {
  size_t matchIndex;
  if (identity[0] == kKindL) {
    matchIndex = 3;
  } else if (identity[0] == kKindS) {
    matchIndex = 4;
  } else {
    return 0;
  }
  for (int n = 1; n <= kPartCount; ++n) {
    if (!PartIsLoaded(n)) continue;
    const uint8_t* part = g_pPartImage[n].get();
    if (static_cast<size_t>(g_nPartImageSize[n]) <= kIdentityAddress + matchIndex) continue;
    if (part[kIdentityAddress] == identity[0] &&
        part[kIdentityAddress + matchIndex] == identity[matchIndex]) {
      return n;
    }
  }
  return 0;
}

}  // namespace ostrel::sonix
