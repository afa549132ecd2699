// Status words a simulated camera answers with: HRESULTs carrying Win32 errors, as the
// platform reports them.
#pragma once

#include <cstdint>

namespace sim {

constexpr uint32_t kStatusOk = 0;
constexpr uint32_t kStatusNotReady = 0x80070015;          // ERROR_NOT_READY
constexpr uint32_t kStatusGeneralFailure = 0x8007001F;    // ERROR_GEN_FAILURE
constexpr uint32_t kStatusNoAccess = 0x800703E6;          // ERROR_NOACCESS
constexpr uint32_t kStatusInvalidParameter = 0x80070057;  // ERROR_INVALID_PARAMETER
constexpr uint32_t kStatusInsufficientBuffer = 0x8007007A;  // ERROR_INSUFFICIENT_BUFFER
constexpr uint32_t kStatusMoreData = 0x800700EA;          // ERROR_MORE_DATA
constexpr uint32_t kStatusDisconnected = 0x8007048F;      // ERROR_DEVICE_NOT_CONNECTED
constexpr uint32_t kStatusNotFound = 0x80070490;          // ERROR_NOT_FOUND
constexpr uint32_t kStatusSetNotFound = 0x80070492;       // ERROR_SET_NOT_FOUND
constexpr uint32_t kStatusNoInterface = 0x80004002;       // E_NOINTERFACE

}  // namespace sim
