// libostrel-gtk.so: the dialog in a GTK window, for the Linux platform to load
// at run time.
#include "platform/linux/gtk/gtk_module.h"

#include "platform/linux/gtk/gtk_dialog.h"

// Named as kEntryName says.
extern "C" __attribute__((visibility("default"))) int OstrelRunGtkDialog(
    ostrel::DialogHandler* handler) {
  // The program's own locale stays: its texts and numbers never follow the
  // desktop's.
  gtk_disable_setlocale();
  if (!gtk_init_check(nullptr, nullptr)) return 0;
  ostrel::gtk_dialog::GtkDialog dialog(*handler);
  dialog.Run();
  return 1;
}
