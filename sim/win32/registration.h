// Sets a Wine prefix (or a Windows test machine) up with the test camera: the COM server as
// the camera filter's class and as the system device enumerator, and one SetupAPI
// imaging-class entry per camera of the world. For test programs and for wincam_register.
// Every function returns a Win32 error code, 0 on success.
#pragma once

#include <windows.h>

#include <string>

namespace wincam {

// Registers the server DLL at serverPath (a full path) for the camera filter and the system
// device enumerator: HKCR\CLSID\{clsid}\InprocServer32, ThreadingModel Both.
DWORD RegisterServer(const std::wstring& serverPath);

// Makes the imaging-class device entries those of the world's cameras: every existing entry
// of the class goes, then each camera with an InstanceId gets one, in world order, with its
// hardware-id list (the HardwareId as the camera reports it now, then the HardwareIds).
// Camera keys only this test camera reads:
//   HardwareIds=<ids separated by blanks>  further entries of the hardware-id list
//   NoHardwareIds=1  the entry has no hardware-id list at all: the size query of the list
//                    fails with ERROR_INVALID_DATA instead of reporting a size
DWORD RegisterImagingDevices(const std::wstring& worldPath);

// Both, for the wincam.dll and simcam.ini in folder (a full path).
DWORD RegisterFolder(const std::wstring& folder);

// Puts the system's own device enumerator back, removes the camera filter's class and every
// imaging-class device entry.
DWORD Unregister();

}  // namespace wincam
