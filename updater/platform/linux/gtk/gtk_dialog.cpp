#include "platform/linux/gtk/gtk_dialog.h"

#include <algorithm>
#include <string>

#include "outcome.h"
#include "platform/linux/gtk/embedded_resources.h"

namespace ostrel::gtk_dialog {
namespace {

constexpr char kCaption[] = "NORV camera update v4.0";

// Dialog units at the base units of the template's 9-point font: a quarter of
// the average character width across, an eighth of the character height down.
constexpr int kBaseUnitX = 7;
constexpr int kBaseUnitY = 15;
constexpr int PixelsX(int units) { return (units * kBaseUnitX + 2) / 4; }
constexpr int PixelsY(int units) { return (units * kBaseUnitY + 4) / 8; }

constexpr int kDialogWidth = 155;
constexpr int kDialogHeight = 90;
// Windows never runs a timer faster than this.
constexpr uint32_t kShortestTimerMs = 10;

enum class Kind { kPicture, kText, kProgress, kButton };

struct TemplateControl {
  int id;  // 0: a label nobody addresses
  Kind kind;
  const char* text;
  int x, y, width, height;
};

// The controls of template 102, in its order.
constexpr TemplateControl kControls[] = {
    {kCtlStatePicture, Kind::kPicture, "", 10, 10, 71, 38},
    {0, Kind::kText, "Vid :", 87, 9, 15, 8},
    {kCtlVid, Kind::kText, "", 108, 9, 28, 8},
    {0, Kind::kText, "Pid :", 87, 23, 15, 8},
    {kCtlPid, Kind::kText, "", 108, 23, 28, 8},
    {kCtlCameraVersion, Kind::kText, "", 87, 37, 28, 8},
    {kCtlImageVersion, Kind::kText, "", 123, 37, 25, 8},
    {kCtlProgress, Kind::kProgress, "", 10, 51, 93, 9},
    {kCtlProgressText, Kind::kText, "0%", 109, 51, 28, 8},
    {kCtlStatus, Kind::kText, "", 3, 70, 113, 8},
    {kCtlClose, Kind::kButton, "Close", 116, 68, 32, 15},
};

constexpr int kPictureIds[] = {kBmpWorking, kBmpSuccess, kBmpStarted, kBmpNothingDone, kBmpFailure};

// The template's small font, and controls no taller than their dialog units
// allow.
constexpr char kStyle[] =
    "window, label, button { font-size: 9pt; }"
    "button { padding: 0 4px; min-height: 0; }"
    "progressbar trough, progressbar progress { min-height: 14px; }";

void ApplyStyle() {
  GtkCssProvider* provider = gtk_css_provider_new();
  gtk_css_provider_load_from_data(provider, kStyle, -1, nullptr);
  gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(provider),
                                            GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  g_object_unref(provider);
}

// Text that is not valid UTF-16 shows as nothing rather than as a part of it.
std::string Utf8(const std::u16string& text) {
  gchar* converted = g_utf16_to_utf8(reinterpret_cast<const gunichar2*>(text.data()),
                                     static_cast<glong>(text.size()), nullptr, nullptr, nullptr);
  if (converted == nullptr) return {};
  std::string result(converted);
  g_free(converted);
  return result;
}

}  // namespace

GtkDialog::GtkDialog(DialogHandler& handler)
    : handler_(handler), mainThread_(std::this_thread::get_id()) {
  static const bool styled = (ApplyStyle(), true);
  (void)styled;
  for (int id : kPictureIds) {
    if (GdkPixbuf* picture = LoadResourcePicture(id)) pictures_[id] = picture;
  }
  window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window_), kCaption);
  gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);
  gtk_window_set_position(GTK_WINDOW(window_), GTK_WIN_POS_CENTER);
  gtk_window_set_type_hint(GTK_WINDOW(window_), GDK_WINDOW_TYPE_HINT_DIALOG);
  if (GdkPixbuf* icon = LoadResourcePicture(kIconResource)) {
    gtk_window_set_icon(GTK_WINDOW(window_), icon);
    g_object_unref(icon);
  }
  g_signal_connect(window_, "delete-event", G_CALLBACK(OnDelete), this);
  g_signal_connect(window_, "key-press-event", G_CALLBACK(OnKey), this);

  GtkWidget* layout = gtk_fixed_new();
  gtk_widget_set_size_request(layout, PixelsX(kDialogWidth), PixelsY(kDialogHeight));
  gtk_container_add(GTK_CONTAINER(window_), layout);
  BuildControls(layout);
}

GtkDialog::~GtkDialog() {
  for (const auto& [id, source] : timers_) g_source_remove(source);
  {
    std::lock_guard<std::mutex> lock(queueMutex_);
    if (queueSource_ != 0) g_source_remove(queueSource_);
    queue_.clear();
  }
  gtk_widget_destroy(window_);
  for (const auto& [id, picture] : pictures_) g_object_unref(picture);
}

void GtkDialog::BuildControls(GtkWidget* layout) {
  for (const TemplateControl& control : kControls) {
    GtkWidget* widget = nullptr;
    switch (control.kind) {
      case Kind::kPicture:
        widget = gtk_drawing_area_new();
        g_signal_connect(widget, "draw", G_CALLBACK(OnPictureDraw), this);
        break;
      case Kind::kText:
        widget = gtk_label_new(control.text);
        gtk_label_set_xalign(GTK_LABEL(widget), 0.0f);
        gtk_label_set_yalign(GTK_LABEL(widget), 0.0f);
        break;
      case Kind::kProgress:
        widget = gtk_progress_bar_new();
        break;
      case Kind::kButton:
        widget = gtk_button_new_with_label(control.text);
        g_signal_connect(widget, "clicked", G_CALLBACK(OnCloseClicked), this);
        break;
    }
    gtk_widget_set_size_request(widget, PixelsX(control.width), PixelsY(control.height));
    gtk_fixed_put(GTK_FIXED(layout), widget, PixelsX(control.x), PixelsY(control.y));
    if (control.id != 0) controls_[control.id] = widget;
  }
}

GtkWidget* GtkDialog::Control(int controlId) const {
  const auto it = controls_.find(controlId);
  return it == controls_.end() ? nullptr : it->second;
}

void GtkDialog::Run() {
  Open();
  while (open_) g_main_context_iteration(nullptr, TRUE);
}

void GtkDialog::Open() {
  open_ = true;
  handler_.OnInitDialog(*this);
  gtk_widget_show_all(window_);
}

void GtkDialog::Post(std::function<void()> operation) {
  if (std::this_thread::get_id() == mainThread_) {
    ApplyQueued();
    operation();
    return;
  }
  std::lock_guard<std::mutex> lock(queueMutex_);
  queue_.push_back(std::move(operation));
  if (queueSource_ == 0)
    queueSource_ = g_idle_add_full(G_PRIORITY_DEFAULT, OnQueued, this, nullptr);
}

void GtkDialog::ApplyQueued() {
  std::deque<std::function<void()>> operations;
  {
    std::lock_guard<std::mutex> lock(queueMutex_);
    operations.swap(queue_);
    if (queueSource_ != 0) {
      g_source_remove(queueSource_);
      queueSource_ = 0;
    }
  }
  for (auto& operation : operations) operation();
}

gboolean GtkDialog::OnQueued(gpointer self) {
  auto* dialog = static_cast<GtkDialog*>(self);
  {
    // The source ends with this call: ApplyQueued must not remove it a second
    // time.
    std::lock_guard<std::mutex> lock(dialog->queueMutex_);
    dialog->queueSource_ = 0;
  }
  dialog->ApplyQueued();
  return G_SOURCE_REMOVE;
}

void GtkDialog::SetControlText(int controlId, const std::u16string& text) {
  Post([this, controlId, utf8 = Utf8(text)] {
    GtkWidget* widget = Control(controlId);
    if (widget == nullptr) return;
    if (GTK_IS_LABEL(widget)) gtk_label_set_text(GTK_LABEL(widget), utf8.c_str());
    if (GTK_IS_BUTTON(widget)) gtk_button_set_label(GTK_BUTTON(widget), utf8.c_str());
  });
}

void GtkDialog::SetProgressPosition(int position) {
  // The bar's range is 0 to 100, and a position outside it stops at its end.
  const int clamped = std::clamp(position, 0, 100);
  Post([this, clamped] {
    gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(Control(kCtlProgress)), clamped / 100.0);
  });
}

void GtkDialog::ShowStateBitmap(int bitmapId) {
  Post([this, bitmapId] {
    if (bitmapId == shownBitmap_) return;
    shownBitmap_ = bitmapId;
    gtk_widget_queue_draw(Control(kCtlStatePicture));
  });
}

void GtkDialog::EnableControl(int controlId, bool enabled) {
  Post([this, controlId, enabled] {
    if (GtkWidget* widget = Control(controlId)) gtk_widget_set_sensitive(widget, enabled);
  });
}

void GtkDialog::StartTimer(int timerId, uint32_t periodMs) {
  Post([this, timerId, periodMs] {
    // Starting a running timer again restarts it with the new period, as on
    // Windows.
    RemoveTimer(timerId);
    timers_[timerId] = g_timeout_add_full(
        G_PRIORITY_DEFAULT, std::max(periodMs, kShortestTimerMs), OnTimerTick,
        new TimerTick{this, timerId}, [](gpointer tick) { delete static_cast<TimerTick*>(tick); });
  });
}

void GtkDialog::KillTimer(int timerId) {
  Post([this, timerId] { RemoveTimer(timerId); });
}

void GtkDialog::RemoveTimer(int timerId) {
  const auto it = timers_.find(timerId);
  if (it == timers_.end()) return;
  g_source_remove(it->second);
  timers_.erase(it);
}

gboolean GtkDialog::OnTimerTick(gpointer tick) {
  const auto* timer = static_cast<TimerTick*>(tick);
  timer->dialog->handler_.OnTimer(timer->timerId);
  return G_SOURCE_CONTINUE;
}

void GtkDialog::RequestClose() {
  if (!open_ || !handler_.OnCloseRequest()) return;
  open_ = false;
  gtk_widget_hide(window_);
}

gboolean GtkDialog::OnDelete(GtkWidget*, GdkEvent*, gpointer self) {
  static_cast<GtkDialog*>(self)->RequestClose();
  return TRUE;  // the window stays until the dialog lets it go
}

gboolean GtkDialog::OnKey(GtkWidget*, GdkEventKey* event, gpointer self) {
  if (event->keyval != GDK_KEY_Escape) return FALSE;
  static_cast<GtkDialog*>(self)->RequestClose();
  return TRUE;
}

void GtkDialog::OnCloseClicked(GtkButton*, gpointer self) {
  static_cast<GtkDialog*>(self)->RequestClose();
}

gboolean GtkDialog::OnPictureDraw(GtkWidget*, cairo_t* cr, gpointer self) {
  auto* dialog = static_cast<GtkDialog*>(self);
  dialog->handler_.OnRepaint();
  dialog->PaintPicture(cr);
  return TRUE;
}

void GtkDialog::PaintPicture(cairo_t* cr) {
  GtkWidget* picture = Control(kCtlStatePicture);
  const int width = gtk_widget_get_allocated_width(picture);
  const int height = gtk_widget_get_allocated_height(picture);
  const auto it = pictures_.find(shownBitmap_);
  if (it != pictures_.end()) {
    // Tiled from the control's top-left corner, as a pattern brush fills it.
    gdk_cairo_set_source_pixbuf(cr, it->second, 0, 0);
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_REPEAT);
    cairo_rectangle(cr, 0, 0, width, height);
    cairo_fill(cr);
    return;
  }
  // No picture yet: the static control's black frame.
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_set_line_width(cr, 1);
  cairo_rectangle(cr, 0.5, 0.5, width - 1, height - 1);
  cairo_stroke(cr);
}

}  // namespace ostrel::gtk_dialog
