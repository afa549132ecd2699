// Linux: the V4L2 nodes of /sys/class/video4linux; a handle is the node path as text.
#include "camera_list.h"
#include "sysfs/video4linux.h"

namespace cli {

std::vector<VideoInput> ListVideoInputs() {
  std::vector<VideoInput> inputs;
  for (const std::string& node : sysfs::VideoNodeNames("/sys/class/video4linux")) {
    auto path = std::make_shared<std::string>("/dev/" + node);
    inputs.push_back({*path, path->data(), path});
  }
  return inputs;
}

}  // namespace cli
