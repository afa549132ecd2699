// What Windows' refusal to open a camera means to a user: with the camera privacy setting off
// for desktop programs, binding a camera's filter fails with E_ACCESSDENIED.
#pragma once

namespace win32 {

constexpr char kCameraAccessDenied[] =
    "Windows denied access to the camera: the camera privacy setting for desktop apps may be off";

}  // namespace win32
