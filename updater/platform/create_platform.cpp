// The real program runs on the platform it was built for.
#include "platform/host_platform.h"

namespace ostrel {

std::unique_ptr<Platform> CreatePlatform() { return CreateHostPlatform(); }

}  // namespace ostrel
