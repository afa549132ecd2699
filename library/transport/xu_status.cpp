#include "transport/xu_status.h"

#include "tandrel.h"

namespace tandrel {

int MapXuStatus(uint32_t status) {
  switch (Win32Error(status)) {
    case kErrorInvalidParameter: return ZEL_E_INVALID_ARG;
    case kErrorNotReady: return ZEL_E_NOT_READY;
    case kErrorNotFound: return ZEL_E_NOT_FOUND;
    case kErrorDeviceNotConnected: return ZEL_E_UNREACHABLE;
    default: return ZEL_E_DEVICE;
  }
}

}  // namespace tandrel
