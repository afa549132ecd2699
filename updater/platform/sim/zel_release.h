// The release a simulated ZEL camera reports: the bcdDevice of the USB device descriptor kept
// in its flash, which a firmware update changes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ostrel::sim_platform {

// bcdDevice (bytes 0x402C-0x402D, little-endian) of the descriptor at 0x4020 when it is valid
// (byte 0x4020 = 18, byte 0x4021 = 1); nothing for a shorter flash or an invalid descriptor.
std::optional<uint16_t> ReleaseFromFlash(std::string_view flash);

// The hardware id with the four characters after its "REV_" replaced by the release in
// upper-case hexadecimal; unchanged when it has no complete REV_ field.
std::u16string WithRelease(std::u16string hardwareId, uint16_t release);

}  // namespace ostrel::sim_platform
