// What the objects of the test camera's COM server share: the simulated world their cameras
// come from, and the constructors the class factories call.
//
// Camera keys only this test camera reads, besides those of the camera models:
//   NoFriendlyName=1    the device's property bag has no FriendlyName
//   FaultingControl=1   every IKsControl method of the filter access-violates
//   FaultingTopology=1  get_NumNodes and get_NodeType of the filter access-violate
// (the SetupAPI entries' keys are in registration.h).
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
