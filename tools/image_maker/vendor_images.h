// Firmware images of the SONIX, Sunplus and "R" rules, carrying a chosen version where the
// updater's image rule reads it.
#pragma once

#include <cstdint>
#include <string>

namespace image_maker {

// 64 KiB; byte 0x168 = 2, so the version is big-endian at 0x20A.
std::string SonixImage(uint16_t version);
// Sunplus rule (a): 0xC000 bytes with the record mark at 0xB701 and the version at 0xB70E
// (a part of chip type 0x68).
std::string SunplusImageA(uint16_t version);
// Sunplus rule (b): 0x4000 bytes (a part of chip type 0x6A); the pointer at 4-5 leads to the
// version at 0x4E and to the serial-number block's place, 0x2000.
std::string SunplusImageB(uint16_t version);
// "R": 0xF000 bytes; the 08 04 mark at 0xE800, the version little-endian at 0xE806.
std::string RImage(uint16_t version);

}  // namespace image_maker
