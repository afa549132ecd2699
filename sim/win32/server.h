// What the objects of the test camera's COM server share: the simulated world their cameras
// come from, and the constructors the class factories call.
//
// Camera keys only this test camera reads, besides those of the camera models:
//   NoFriendlyName=1      the device's property bag has no FriendlyName
//   FaultingControl=1     every IKsControl method of the filter access-violates
//   FaultingTopology=1    get_NumNodes and get_NodeType of the filter access-violate
//   AccessDenied=1        binding the device to its filter fails with E_ACCESSDENIED, as with
//                         Windows' camera privacy setting off for desktop programs
//   ReenumerateOnReset=0  a ZEL camera stays on the bus through a chip reset or a switch to USB
//                         boot (default 1: it leaves, its filters fail every call with
//                         ERROR_DEVICE_REMOVED, and it is listed again after AbsentMs)
//   AbsentMs=<ms>         how long it is off the bus then, scaled by TimeScale (default 1000)
//   SupportQueries=0      support queries fail with ERROR_NOT_SUPPORTED, as on an older driver
// and of the world:
//   KsTrace=<file>        every topology read and support query a filter answers, one line each:
//                         "NODES <count>", "NODETYPE <node>", "SUPPORT <node> <set> <status>"
//                         (set unit0, unit1 or other), appended to that file
// (the SetupAPI entries' keys are in registration.h).
#pragma once

#include <windows.h>

#include <string>

#include "camera/live_world.h"

namespace wincam {

// A world key of a camera as wide text.
std::wstring CameraValue(const sim::LiveWorld& world, size_t camera, const char16_t* key);

// Appends a line to the world's KsTrace file, if it has one.
void KsTraceLine(const sim::LiveWorld& world, const std::string& line);

// Whether a ZEL camera leaves the bus at a chip reset or a switch to USB boot.
bool ReenumeratesOnReset(const sim::LiveWorld& world, size_t camera);
// Whether the camera is off the bus now, between leaving it and coming back.
bool CameraAway(const sim::LiveWorld& world, size_t camera);

HRESULT CreateCameraFilter(REFIID iid, void** object);
HRESULT CreateDeviceEnumerator(REFIID iid, void** object);

}  // namespace wincam
