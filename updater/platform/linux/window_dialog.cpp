#include "platform/linux/window_dialog.h"

#include <dlfcn.h>

#include <cstdlib>

#include "platform/linux/gtk/gtk_module.h"

namespace ostrel::linux_platform {
namespace {

bool DisplayNamed() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

}  // namespace

bool RunWindowDialog(const std::string& programFolder, DialogHandler& handler, std::string& why) {
  why.clear();
  if (!DisplayNamed()) return false;
  // A full path: only the module shipped with the program, never one the loader
  // finds. It stays loaded: GTK cannot be unloaded from a process.
  const std::string path = programFolder + "/" + gtk_dialog::kModuleFileName;
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) {
    why = dlerror();
    return false;
  }
  const auto entry =
      reinterpret_cast<gtk_dialog::ModuleEntry>(dlsym(module, gtk_dialog::kEntryName));
  if (entry == nullptr) {
    why = path + ": no " + gtk_dialog::kEntryName;
    return false;
  }
  if (entry(&handler) == 0) {
    why = "the display cannot be opened";
    return false;
  }
  return true;
}

}  // namespace ostrel::linux_platform
