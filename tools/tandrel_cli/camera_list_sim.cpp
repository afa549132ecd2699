// Simulated world: the cameras of the world file beside the simulated library; a handle is
// the camera's DevicePath text.
#include <dlfcn.h>

#include <string>

#include "camera_list.h"
#include "ini/profile_file.h"
#include "text/utf16.h"

namespace cli {
namespace {

std::u16string WorldFile() {
  Dl_info library{};
  if (dladdr(reinterpret_cast<void*>(&ZelSetDeviceHandle), &library) == 0 ||
      library.dli_fname == nullptr) {
    return u"simcam.ini";
  }
  const std::string path = library.dli_fname;
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
  return text::Utf8ToUtf16(folder + "/simcam.ini");
}

}  // namespace

std::vector<VideoInput> ListVideoInputs() {
  const std::u16string world = WorldFile();
  std::vector<VideoInput> inputs;
  // Camera1, Camera2, ...: the first missing number ends the list, as in the world itself.
  for (int number = 1;; ++number) {
    const std::u16string section = u"Camera" + text::Utf8ToUtf16(std::to_string(number));
    if (profile::GetString(world, section, u"Model", u"").empty()) break;
    auto path = std::make_shared<std::string>(
        text::Utf16ToUtf8(profile::GetString(world, section, u"DevicePath", u"")));
    inputs.push_back({*path, path->data(), path});
  }
  return inputs;
}

}  // namespace cli
