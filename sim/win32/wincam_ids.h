// Class ids of the test camera's COM server: the camera filter of its own, and the system
// device enumerator it stands in for.
#pragma once

#include <windows.h>
// COM declarations follow windows.h.
#include <ole2.h>

#include <iterator>
#include <string>

namespace wincam {

// {5001C41B-765F-4506-89A4-A2012B03F792}
constexpr GUID kCameraFilterClsid = {0x5001C41B, 0x765F, 0x4506, {0x89, 0xA4, 0xA2, 0x01, 0x2B, 0x03, 0xF7, 0x92}};
// CLSID_SystemDeviceEnum
constexpr GUID kSystemDeviceEnumClsid = {0x62BE5D10, 0x60EB, 0x11D0, {0xBD, 0x3B, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86}};

// The server's file name and its world file, side by side in one folder.
constexpr wchar_t kServerFileName[] = L"wincam.dll";
constexpr wchar_t kWorldFileName[] = L"simcam.ini";

// A class id in registry form, {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}.
inline std::wstring ClsidText(const GUID& clsid) {
  wchar_t text[40] = {};
  StringFromGUID2(clsid, text, static_cast<int>(std::size(text)));
  return text;
}

}  // namespace wincam
