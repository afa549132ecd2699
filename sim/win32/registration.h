// Sets a Wine prefix (or a Windows test machine) up with the test camera: the COM server as
// the camera filter's class and as the system device enumerator, and the SetupAPI entries of
// the world's present devices. For test programs and for wincam_register. Every function
// returns a Win32 error code, 0 on success.
#pragma once

#include <windows.h>

#include <string>

namespace wincam {

// Registers the server DLL at serverPath (a full path) for the camera filter and the system
// device enumerator: HKCR\CLSID\{clsid}\InprocServer32, ThreadingModel Both.
DWORD RegisterServer(const std::wstring& serverPath);

// Makes the entries of the imaging and camera setup classes those of the world's devices
// (updater/platform/sim/setup_entries.h): every existing entry of both classes goes, then each
// entry of the world is made in its class, with its hardware-id list. An entry without one
// (NoHardwareIds=1) fails the list's size query with ERROR_INVALID_DATA instead of reporting a
// size. Wine lists a class's entries in the order of their instance ids.
DWORD RegisterSetupDevices(const std::wstring& worldPath);

// Both, for the wincam.dll and simcam.ini in folder (a full path).
DWORD RegisterFolder(const std::wstring& folder);

// Puts the system's own device enumerator back, removes the camera filter's class and every
// entry of the imaging and camera setup classes.
DWORD Unregister();

}  // namespace wincam
