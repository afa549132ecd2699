// What the objects of the test camera's COM server share: the simulated world their cameras
// come from, and the constructors the class factories call.
#pragma once

#include <windows.h>

#include <string>

#include "camera/live_world.h"

namespace wincam {

// A world key of a camera as wide text.
std::wstring CameraValue(const sim::LiveWorld& world, size_t camera, const char16_t* key);

HRESULT CreateCameraFilter(REFIID iid, void** object);
HRESULT CreateDeviceEnumerator(REFIID iid, void** object);

}  // namespace wincam
