// The chip-id register tells the two register maps of the ZEL chips apart.
#pragma once

namespace zel {

constexpr int kChipIdRegister = 0x06000000;
constexpr int kChipVariantA = 0x0A020801;

}  // namespace zel
