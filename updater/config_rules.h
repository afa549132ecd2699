// The pure rules of the configuration files: the product-id list of pid.ini's section names,
// the BIN sentinel that selects per-part images, and the decimal reading of CHIP values.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace ostrel {

// Width of one section-name slot: eight characters and a terminator.
constexpr size_t kSectionSlotChars = 9;
// BIN's default, which selects per-part images.
constexpr std::u16string_view kBinSentinel = u"OOOXXXOOO.XXX";

// The product ids of a section-name list (the characters the profile call copied): one per
// whole nine-character slot, from characters 4 to 7 of the slot.
std::vector<uint16_t> ParsePidList(std::u16string_view sectionNames);

// Characters 0 to 8 are "OOOXXXOOO" and 10 to 12 are "XXX"; character 9 and anything after
// character 12 are not examined. A text shorter than 13 characters is not the sentinel.
bool IsBinSentinel(std::u16string_view value);

// The decimal value of the text's leading digits (after blanks and an optional sign), 0 when
// there are none; values beyond 32 bits are clamped.
int32_t DecimalValue(std::u16string_view value);

}  // namespace ostrel
