// dialog_driver <program> <end screenshot.bmp> [<updating screenshot.bmp>]
//
// Starts the program's windowed run in its own folder and watches its dialog from outside, as
// a user would see it: the control texts, the progress bar's position, whether Close is
// enabled and which state picture is painted (told apart by its pixels on the display). Each
// settled change is written as one line. Given an updating screenshot, it takes that once the
// update shows progress, then presses Close (the button's command and the window's close
// message) and reports whether the window stays and the update goes on; a run too quick to be
// pressed safely mid-way is watched without one. Once the run has come to rest it takes the end
// screenshot, redraws the window as uncovering it would and reports the picture then shown,
// presses Close and reports how the program ended. Exit code 0 when it saw the run
// through to the program's end.
#include <windows.h>
// Common controls follow windows.h.
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "program_start.h"
#include "screen_pixels.h"
#include "time_limit.h"

namespace {

using dialog_test::CaptureScreen;
using dialog_test::Pixels;
using dialog_test::StatePictures;
using dialog_test::WriteBmp;

// The dialog as its users know it.
constexpr wchar_t kCaption[] = L"NORV camera update v4.0";
constexpr int kProgressText = 1000;
constexpr int kVid = 1001;
constexpr int kPid = 1002;
constexpr int kImageVersion = 1003;
constexpr int kProgressBar = 1004;
constexpr int kStatus = 1005;
constexpr int kStatePicture = 1006;
constexpr int kCameraVersion = 1007;
const std::vector<int> kStateBitmaps = {130, 131, 132, 134, 135};
constexpr int kWorkingBitmap = 130;

constexpr DWORD kPollMs = 20;
// A guard against a run that never comes to rest; the test's own limit is longer.
const ULONGLONG kGiveUpMs = ostrel::testing::ScaledLimitMs(120000);
// The end state: Close enabled and nothing changed for this long.
constexpr int kRestPolls = 25;

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                       nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr,
                      nullptr);
  return out;
}

void Say(const std::string& line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

std::wstring ControlText(HWND dialog, int id) {
  wchar_t text[256] = L"";
  GetDlgItemTextW(dialog, id, text, 256);
  return text;
}

// Screen rectangle of a window's client area.
RECT ClientOnScreen(HWND window) {
  RECT area{};
  GetClientRect(window, &area);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&area), 2);
  return area;
}

// One look at the dialog.
struct Look {
  bool closeEnabled = false;
  int picture = 0;
  std::wstring status, vid, pid, cameraVersion, imageVersion, progressText;
  int position = 0;

  // What settles; the spinning progress text and the position move on their own.
  bool SameState(const Look& other) const {
    return closeEnabled == other.closeEnabled && picture == other.picture && status == other.status &&
           vid == other.vid && pid == other.pid && cameraVersion == other.cameraVersion &&
           imageVersion == other.imageVersion;
  }
  std::string Line() const {
    auto quoted = [](const std::wstring& text) { return "\"" + Utf8(text) + "\""; };
    return std::string("close=") + (closeEnabled ? "enabled" : "disabled") +
           " picture=" + (picture != 0 ? std::to_string(picture) : "none") + " status=" + quoted(status) +
           " vid=" + quoted(vid) + " pid=" + quoted(pid) + " from=" + quoted(cameraVersion) +
           " to=" + quoted(imageVersion) + " position=" + std::to_string(position) +
           " percent=" + quoted(progressText);
  }
};

Look LookAt(HWND dialog, const StatePictures& pictures) {
  Look look;
  look.closeEnabled = IsWindowEnabled(GetDlgItem(dialog, IDCANCEL)) != 0;
  look.picture = pictures.Recognise(CaptureScreen(ClientOnScreen(GetDlgItem(dialog, kStatePicture))));
  look.status = ControlText(dialog, kStatus);
  look.vid = ControlText(dialog, kVid);
  look.pid = ControlText(dialog, kPid);
  look.cameraVersion = ControlText(dialog, kCameraVersion);
  look.imageVersion = ControlText(dialog, kImageVersion);
  look.progressText = ControlText(dialog, kProgressText);
  look.position = static_cast<int>(SendDlgItemMessageW(dialog, kProgressBar, PBM_GETPOS, 0, 0));
  return look;
}

// Both ways a user closes the dialog: the Close button and the window's close box.
void PressClose(HWND dialog) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
  PostMessageW(dialog, WM_CLOSE, 0, 0);
}

void Screenshot(HWND dialog, const wchar_t* path, const char* what) {
  RECT area{};
  GetWindowRect(dialog, &area);
  const bool written = WriteBmp(path, CaptureScreen(area));
  Say(std::string("screenshot ") + what + (written ? " written" : " FAILED"));
}

class Watch {
 public:
  Watch(PROCESS_INFORMATION process, const StatePictures& pictures)
      : process_(process), pictures_(pictures), start_(GetTickCount64()) {}

  bool TimeLeft() const { return GetTickCount64() - start_ < kGiveUpMs; }
  bool Running() const { return WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }

  // The program's dialog, once it is shown.
  HWND FindDialog() const {
    while (Running() && TimeLeft()) {
      const HWND window = FindWindowW(nullptr, kCaption);
      DWORD owner = 0;
      if (window != nullptr && GetWindowThreadProcessId(window, &owner) != 0 &&
          owner == process_.dwProcessId && IsWindowVisible(window)) {
        return window;
      }
      Sleep(kPollMs);
    }
    return nullptr;
  }

  // Watches until the dialog rests with Close enabled; false when it went away before.
  bool UntilRest(HWND dialog, const wchar_t* updatingShot) {
    Look shown, previous;
    bool anyShown = false, refusalReported = false;
    int pressedAt = -1;  // the position at which Close was pressed while updating, -1 = not yet
    int restPolls = 0;
    while (TimeLeft()) {
      if (!IsWindow(dialog)) {
        Say("window closed before the run came to rest");
        return false;
      }
      const Look look = LookAt(dialog, pictures_);
      // A change counts once two looks agree: a repaint erases the picture before filling it.
      const bool settled = look.SameState(previous);
      previous = look;
      if (settled && (!anyShown || !look.SameState(shown))) {
        Say("state " + look.Line());
        shown = look;
        anyShown = true;
        restPolls = 0;
      }
      const bool updating = settled && !look.closeEnabled && look.picture == kWorkingBitmap;
      if (updating && updatingShot != nullptr && pressedAt < 0 && look.position > 0) {
        Screenshot(dialog, updatingShot, "updating");
        PressClose(dialog);
        pressedAt = look.position;
        Say("close pressed while updating at position " + std::to_string(pressedAt));
      }
      if (pressedAt >= 0 && !refusalReported && look.position > pressedAt) {
        Say("close refused while updating: window open, position " + std::to_string(pressedAt) + " -> " +
            std::to_string(look.position));
        refusalReported = true;
      }
      if (anyShown && shown.closeEnabled && !shown.status.empty() && settled && ++restPolls >= kRestPolls) {
        Say("end " + look.Line());
        return true;
      }
      Sleep(kPollMs);
    }
    Say("gave up waiting for the run to come to rest");
    return false;
  }

  // Redraws the whole window, as uncovering it does, and reports the picture shown after.
  void Repaint(HWND dialog) {
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Sleep(kPollMs * kRestPolls);
    const int picture = LookAt(dialog, pictures_).picture;
    Say("repainted picture=" + (picture != 0 ? std::to_string(picture) : std::string("none")));
  }

  // Presses Close at rest and reports how the program ended.
  bool CloseAtRest(HWND dialog) {
    PressClose(dialog);
    while (Running() && TimeLeft()) Sleep(kPollMs);
    if (Running()) {
      Say("close refused at rest");
      return false;
    }
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    Say("close accepted, exit code " + std::to_string(code));
    return true;
  }

 private:
  PROCESS_INFORMATION process_;
  const StatePictures& pictures_;
  ULONGLONG start_;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3 || argc > 4) {
    std::fprintf(stderr, "usage: dialog_driver <program> <end screenshot.bmp> [<updating screenshot.bmp>]\n");
    return 2;
  }
  const std::wstring program = argv[1];
  const StatePictures pictures(program, kStateBitmaps);
  if (!pictures.Loaded()) {
    Say("the state bitmaps cannot be loaded from " + Utf8(program));
    return 1;
  }
  PROCESS_INFORMATION process;
  if (!StartInItsFolder(program, process)) {
    Say("cannot start " + Utf8(program));
    return 1;
  }
  Watch watch(process, pictures);
  const HWND dialog = watch.FindDialog();
  bool seenThrough = false;
  if (dialog == nullptr) {
    Say("no dialog shown");
  } else {
    Say("window " + Utf8(kCaption));
    if (watch.UntilRest(dialog, argc == 4 ? argv[3] : nullptr)) {
      Screenshot(dialog, argv[2], "end");
      watch.Repaint(dialog);
      seenThrough = watch.CloseAtRest(dialog);
    }
  }
  if (watch.Running()) TerminateProcess(process.hProcess, 255);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return seenThrough ? 0 : 1;
}
