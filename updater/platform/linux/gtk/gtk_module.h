// The entry point of the window module, libostrel-gtk.so: the Linux platform
// loads it from the program's folder when a display is present, so that ostrel
// itself never links GTK and runs in the terminal on a machine without it.
#pragma once

#include "platform/platform.h"

namespace ostrel::gtk_dialog {

constexpr char kModuleFileName[] = "libostrel-gtk.so";
constexpr char kEntryName[] = "OstrelRunGtkDialog";

// Shows the dialog in a window until the handler lets it close and returns 1;
// returns 0 at once, without calling the handler, when no display can be
// opened.
using ModuleEntry = int (*)(DialogHandler* handler);

}  // namespace ostrel::gtk_dialog
