// Status words of control requests and their mapping to the library's result codes. A status
// word is an HRESULT-like value whose low 16 bits carry a Win32 error number; every platform
// reports its failures in that form.
#pragma once

#include <cstdint>

namespace tandrel {

constexpr uint32_t kErrorNotReady = 21;
constexpr uint32_t kErrorGenFailure = 31;
constexpr uint32_t kErrorNotSupported = 50;
constexpr uint32_t kErrorInvalidParameter = 87;
constexpr uint32_t kErrorMoreData = 234;
constexpr uint32_t kErrorDeviceNotConnected = 1167;
constexpr uint32_t kErrorNotFound = 1168;
constexpr uint32_t kErrorSetNotFound = 1170;

// The status word of a failure carrying a Win32 error, as the platform's HRESULTs do.
constexpr uint32_t StatusFromWin32(uint32_t error) { return 0x80070000u | (error & 0xFFFFu); }
constexpr uint32_t Win32Error(uint32_t status) { return status & 0xFFFFu; }

// The result code of a failed control request: only the low 16 bits decide.
int MapXuStatus(uint32_t status);

}  // namespace tandrel
