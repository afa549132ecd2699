// What the objects of the test camera's COM server share: the simulated world their cameras
// come from, and the constructors the class factories call.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "camera/live_world.h"

namespace wincam {

// The world of simcam.ini beside this DLL, loaded on first use and kept for the process.
std::shared_ptr<sim::LiveWorld> ServerWorld();
// A world key of a camera as wide text.
std::wstring CameraValue(const sim::LiveWorld& world, size_t camera, const char16_t* key);

HRESULT CreateCameraFilter(REFIID iid, void** object);
HRESULT CreateDeviceEnumerator(REFIID iid, void** object);

}  // namespace wincam
