// The SONIX rules that read what the camera reports: where its write-protection byte lives,
// by the ROM version text, and which loaded part image fits its identity bytes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engines/vendor_api/burner_ap_lib.h"

namespace ostrel::sonix {

constexpr uint32_t kIdentityAddress = 0x150;
constexpr size_t kIdentityBytes = 5;

// Where the write-protection byte lives, by the first four characters of the ROM version
// text and its byte 5; the first matching row wins. A row without an address reads it from
// the chip.
struct ProtectionRow {
  const char* versions[5];
  uint8_t byte5;
  bool fromChip;
  uint16_t address;
};

// The row for the ROM version text the library reports; nullptr when none matches.
const ProtectionRow* MatchingRow(const char (&romVersion)[burner_ap_lib::kRomVersionBytes]);

// The first loaded part whose identity matches the camera's: the kind letter at 0x150 and,
// for L, identity byte 3 at 0x153, for S, byte 4 at 0x154. 0 when none fits.
int ChoosePart(const uint8_t (&identity)[kIdentityBytes]);

}  // namespace ostrel::sonix
