// The video inputs of this platform that a camera handle can be made of, in the platform's
// order: the library binds a handle, but only the platform knows what to list.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tandrel.h"

namespace cli {

struct VideoInput {
  std::string handleText;  // what `list` shows and --device takes
  ZelDeviceHandle handle;  // what ZelSetDeviceHandle takes; valid while keeper lives
  std::shared_ptr<void> keeper;
};

std::vector<VideoInput> ListVideoInputs();

}  // namespace cli
