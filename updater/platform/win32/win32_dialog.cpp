// The main dialog from resource template 102. The core decides; this file only forwards the
// window's events and carries out the view's operations, which may come from any thread.
#include <windows.h>
// Common controls follow windows.h.
#include <commctrl.h>

#include "outcome.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_platform.h"

namespace ostrel::win32 {
namespace {

class DialogWindow : public DialogView {
 public:
  explicit DialogWindow(DialogHandler& handler) : handler_(handler) {}

  INT_PTR Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  bool Opened() const { return window_ != nullptr; }

  void SetControlText(int controlId, const std::u16string& text) override {
    SetDlgItemTextW(window_, controlId, Wide(text).c_str());
  }
  void SetProgressPosition(int position) override {
    SendDlgItemMessageW(window_, kCtlProgress, PBM_SETPOS, static_cast<WPARAM>(position), 0);
  }
  void ShowStateBitmap(int bitmapId) override;
  void EnableControl(int controlId, bool enabled) override {
    EnableWindow(GetDlgItem(window_, controlId == kCtlClose ? IDCANCEL : controlId), enabled);
  }
  void StartTimer(int timerId, uint32_t periodMs) override {
    SetTimer(window_, static_cast<UINT_PTR>(timerId), periodMs, nullptr);
  }
  void KillTimer(int timerId) override { ::KillTimer(window_, static_cast<UINT_PTR>(timerId)); }

 private:
  DialogHandler& handler_;
  HWND window_ = nullptr;
  HICON icon_ = nullptr;
};

void DialogWindow::ShowStateBitmap(int bitmapId) {
  const HWND picture = GetDlgItem(window_, kCtlStatePicture);
  SendMessageW(picture, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(picture, nullptr, TRUE);
  UpdateWindow(picture);
  const HDC context = GetDC(picture);
  RECT area;
  GetClientRect(picture, &area);
  const HBITMAP bitmap = LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(bitmapId));
  if (bitmap != nullptr) {
    // A pattern brush tiles the picture from the control's top-left corner.
    const HBRUSH brush = CreatePatternBrush(bitmap);
    FillRect(context, &area, brush);
    DeleteObject(brush);
    DeleteObject(bitmap);
  }
  ReleaseDC(picture, context);
}

INT_PTR DialogWindow::Handle(HWND window, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
  switch (message) {
    case WM_INITDIALOG:
      window_ = window;
      icon_ = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kIconResource));
      SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
      SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
      handler_.OnInitDialog(*this);
      return TRUE;
    case WM_PAINT:
      if (IsIconic(window)) {
        PAINTSTRUCT paint;
        const HDC context = BeginPaint(window, &paint);
        RECT area;
        GetClientRect(window, &area);
        DrawIcon(context, (area.right - GetSystemMetrics(SM_CXICON) + 1) / 2,
                 (area.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2, icon_);
        EndPaint(window, &paint);
        return TRUE;
      }
      return FALSE;
    case WM_QUERYDRAGICON:
      return reinterpret_cast<INT_PTR>(icon_);
    case WM_TIMER:
      handler_.OnTimer(static_cast<int>(wParam));
      return FALSE;
    case WM_CTLCOLORBTN:
      // The button keeps its default colours; the state picture is repainted alongside.
      handler_.OnRepaint();
      return FALSE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL && handler_.OnCloseRequest()) EndDialog(window, IDCANCEL);
      return TRUE;
    case WM_CLOSE:
      if (handler_.OnCloseRequest()) EndDialog(window, IDCANCEL);
      return TRUE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) SetWindowLongPtrW(window, DWLP_USER, lParam);
  auto* dialog = reinterpret_cast<DialogWindow*>(GetWindowLongPtrW(window, DWLP_USER));
  return dialog != nullptr ? dialog->Handle(window, message, wParam, lParam) : FALSE;
}

}  // namespace

bool RunResourceDialog(DialogHandler& handler) {
  INITCOMMONCONTROLSEX controls{sizeof controls, 0xFF};
  InitCommonControlsEx(&controls);
  DialogWindow dialog(handler);
  const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kDialogTemplate),
                                         nullptr, DialogProcedure, reinterpret_cast<LPARAM>(&dialog));
  return result != -1 || dialog.Opened();
}

}  // namespace ostrel::win32
