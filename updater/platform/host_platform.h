// The platform of the system the program was built for (Windows or Linux), before the
// simulated world replaces any of its services.
#pragma once

#include <memory>

#include "platform/platform.h"

namespace ostrel {

std::unique_ptr<Platform> CreateHostPlatform();

}  // namespace ostrel
