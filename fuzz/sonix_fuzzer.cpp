// The SONIX rules on what the camera reports: the write-protection row chosen by any ROM
// version text, and the part chosen by any identity bytes among part images of any size and
// content (each in a buffer of exactly its size).
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "engines/part_image.h"
#include "engines/sonix_rules.h"
#include "fuzz_input.h"
#include "program_values.h"

namespace {

using fuzz::Check;
using namespace ostrel::sonix;

void CheckProtectionRow(const std::string& text) {
  char romVersion[burner_ap_lib::kRomVersionBytes] = {};
  std::memcpy(romVersion, text.data(), text.size());
  const ProtectionRow* row = MatchingRow(romVersion);
  if (row == nullptr) return;
  Check(row->byte5 == static_cast<uint8_t>(romVersion[5]), "the row's byte 5 matches");
  bool named = false;
  for (const char* version : row->versions) {
    named = named || (version != nullptr && std::strncmp(romVersion, version, 4) == 0);
  }
  Check(named, "the row names the version text");
}

void LoadParts(fuzz::FuzzInput& input) {
  for (int n = 1; n <= ostrel::kPartCount; ++n) {
    const size_t size = input.Le(3) % (ostrel::kPartImageBytes + 1);
    ostrel::g_pPartImage[n] = size > 0 ? std::make_unique<uint8_t[]>(size) : nullptr;
    ostrel::g_nPartImageSize[n] = static_cast<int32_t>(size);
    std::fill_n(ostrel::g_pPartImage[n].get(), size, 0xFF);
    const std::string identity = input.Bytes(kIdentityBytes);
    if (size > kIdentityAddress) {
      std::copy_n(identity.begin(), std::min(identity.size(), size - kIdentityAddress),
                  ostrel::g_pPartImage[n].get() + kIdentityAddress);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzInput input(data, size);
  CheckProtectionRow(input.Bytes(burner_ap_lib::kRomVersionBytes));
  uint8_t identity[kIdentityBytes] = {};
  const std::string identityBytes = input.Bytes(kIdentityBytes);
  std::memcpy(identity, identityBytes.data(), identityBytes.size());
  LoadParts(input);

  const int part = ChoosePart(identity);
  Check(part >= 0 && part <= ostrel::kPartCount, "a part number or 0");
  if (part > 0) {
    Check(ostrel::PartIsLoaded(part), "only a loaded part is chosen");
    const uint8_t* image = ostrel::g_pPartImage[part].get();
    const size_t matchIndex = identity[0] == 'L' ? 3 : 4;
    Check((identity[0] == 'L' || identity[0] == 'S') && image[kIdentityAddress] == identity[0] &&
              image[kIdentityAddress + matchIndex] == identity[matchIndex],
          "the chosen part carries the camera's kind and identity byte");
  }
  return 0;
}
