#include "platform/host_platform.h"
#include "platform/linux/linux_platform.h"

namespace ostrel {

std::unique_ptr<Platform> CreateHostPlatform() {
  return std::make_unique<linux_platform::LinuxPlatform>();
}

}  // namespace ostrel
