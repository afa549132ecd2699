// The windowed run's window on a Linux desktop, from the optional module beside
// the program.
#pragma once

#include <string>

#include "platform/platform.h"

namespace ostrel::linux_platform {

// Runs the dialog in a window when a display is named (DISPLAY or
// WAYLAND_DISPLAY) and the module in programFolder loads and opens it; returns
// false, without calling the handler, otherwise. why: the reason when the
// module was wanted but failed, empty when no display.
bool RunWindowDialog(const std::string& programFolder, DialogHandler& handler, std::string& why);

}  // namespace ostrel::linux_platform
