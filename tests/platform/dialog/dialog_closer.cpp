// dialog_closer <program> <press period ms> <give-up s>
//
// Starts the program's windowed run in its own folder and presses Close on its dialog as an
// impatient user does: every period, from the moment the status line shows anything (the
// update has been started or the run has ended), until the program ends. Writes one line,
// "exit code C after N presses", and returns the program's exit code; when the program is
// still running after the give-up time it writes "close refused for S s after N presses",
// ends the program and returns 124.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "program_start.h"

namespace {

constexpr wchar_t kCaption[] = L"NORV camera update v4.0";
constexpr int kStatus = 1005;
constexpr DWORD kGiveUpCode = 124;

// The program's visible dialog, or nullptr.
HWND DialogOf(DWORD processId) {
  const HWND window = FindWindowW(nullptr, kCaption);
  DWORD owner = 0;
  if (window == nullptr || GetWindowThreadProcessId(window, &owner) == 0 || owner != processId ||
      !IsWindowVisible(window)) {
    return nullptr;
  }
  return window;
}

bool StatusShown(HWND dialog) {
  wchar_t text[256] = L"";
  return GetDlgItemTextW(dialog, kStatus, text, 256) > 0;
}

// Both ways a user closes the dialog: the Close button and the window's close box.
void PressClose(HWND dialog) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
  PostMessageW(dialog, WM_CLOSE, 0, 0);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: dialog_closer <program> <press period ms> <give-up s>\n");
    return 2;
  }
  const std::wstring program = argv[1];
  const DWORD periodMs = static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10));
  const ULONGLONG giveUpMs = 1000ULL * std::wcstoul(argv[3], nullptr, 10);
  PROCESS_INFORMATION process;
  if (!StartInItsFolder(program, process)) {
    std::printf("cannot start the program\n");
    return 2;
  }
  const ULONGLONG start = GetTickCount64();
  int presses = 0;
  while (WaitForSingleObject(process.hProcess, periodMs) == WAIT_TIMEOUT) {
    if (GetTickCount64() - start >= giveUpMs) break;
    const HWND dialog = DialogOf(process.dwProcessId);
    if (dialog != nullptr && StatusShown(dialog)) {
      PressClose(dialog);
      ++presses;
    }
  }
  DWORD code = kGiveUpCode;
  if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
    std::printf("close refused for %lu s after %d presses\n", static_cast<unsigned long>(giveUpMs / 1000),
                presses);
    TerminateProcess(process.hProcess, kGiveUpCode);
    WaitForSingleObject(process.hProcess, INFINITE);
  } else {
    GetExitCodeProcess(process.hProcess, &code);
    std::printf("exit code %lu after %d presses\n", static_cast<unsigned long>(code), presses);
  }
  std::fflush(stdout);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}
