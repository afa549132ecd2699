// The current device: the library's one camera binding (g_pCurrentDevice). Guarded by the
// library lock; callers hold it.
#pragma once

#include "transport/xu_access.h"

namespace tandrel {

const CameraRef& CurrentDevice();
void SetCurrentDevice(CameraRef camera);
void ClearCurrentDevice();

}  // namespace tandrel
