// The main dialog as a GTK 3 window: the controls, texts and pictures of the
// Windows dialog at the same places. The core decides; this class only forwards
// the window's events and carries out the view's operations. Operations from
// other threads are queued and applied by the main loop, since GTK may only be
// called from the thread that runs it.
#pragma once

#include <gtk/gtk.h>

#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

#include "platform/platform.h"

namespace ostrel::gtk_dialog {

class GtkDialog : public DialogView {
 public:
  // GTK must be initialised; the calling thread becomes the dialog's main
  // thread.
  explicit GtkDialog(DialogHandler& handler);
  ~GtkDialog() override;
  GtkDialog(const GtkDialog&) = delete;
  GtkDialog& operator=(const GtkDialog&) = delete;

  // Open, then iterate the main loop until the handler lets the window close.
  void Run();
  // Lets the handler initialise the view, then shows the window.
  void Open();
  // False once the handler has let the window close.
  bool IsOpen() const { return open_; }

  // The window and the widget of a control id of the template (kCtlClose: the
  // button); for a caller on the main thread that inspects what is shown.
  GtkWidget* Window() const { return window_; }
  GtkWidget* Control(int controlId) const;

  void SetControlText(int controlId, const std::u16string& text) override;
  void SetProgressPosition(int position) override;
  void ShowStateBitmap(int bitmapId) override;
  void EnableControl(int controlId, bool enabled) override;
  void StartTimer(int timerId, uint32_t periodMs) override;
  void KillTimer(int timerId) override;

 private:
  struct TimerTick {
    GtkDialog* dialog;
    int timerId;
  };
  void BuildControls(GtkWidget* layout);
  // Runs the operation on the main thread: at once there, after the ones queued
  // before it; from another thread through the queue.
  void Post(std::function<void()> operation);
  void ApplyQueued();
  void RemoveTimer(int timerId);
  void RequestClose();
  void PaintPicture(cairo_t* cr);

  static gboolean OnQueued(gpointer self);
  static gboolean OnTimerTick(gpointer tick);
  static gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer self);
  static gboolean OnKey(GtkWidget*, GdkEventKey* event, gpointer self);
  static void OnCloseClicked(GtkButton*, gpointer self);
  static gboolean OnPictureDraw(GtkWidget*, cairo_t* cr, gpointer self);

  DialogHandler& handler_;
  const std::thread::id mainThread_;
  GtkWidget* window_ = nullptr;
  std::map<int, GtkWidget*> controls_;
  std::map<int, GdkPixbuf*> pictures_;
  std::map<int, guint> timers_;
  int shownBitmap_ = 0;
  bool open_ = false;

  std::mutex queueMutex_;
  std::deque<std::function<void()>> queue_;
  guint queueSource_ = 0;
};

}  // namespace ostrel::gtk_dialog
