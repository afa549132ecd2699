// wincam_register: sets the Wine prefix the program runs in up with the test camera of a
// folder (wincam.dll and its simcam.ini), or takes the test camera out again.
//   wincam_register <folder>      register that folder's server and world
//   wincam_register --remove      the system's enumerator back, no setup entries
#include <windows.h>

#include <cstdio>
#include <cwchar>

#include "registration.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fwprintf(stderr, L"usage: wincam_register <folder> | --remove\n");
    return 2;
  }
  DWORD error = ERROR_SUCCESS;
  if (std::wcscmp(argv[1], L"--remove") == 0) {
    error = wincam::Unregister();
  } else {
    wchar_t folder[MAX_PATH * 4] = {};
    if (GetFullPathNameW(argv[1], MAX_PATH * 4, folder, nullptr) == 0) {
      error = GetLastError();
    } else {
      error = wincam::RegisterFolder(folder);
    }
  }
  if (error != ERROR_SUCCESS) std::fwprintf(stderr, L"wincam_register: error %lu\n", error);
  return error == ERROR_SUCCESS ? 0 : 1;
}
