// The platform's debug channel for the library's one diagnostic line.
#pragma once

#include <string>

namespace tandrel {

void DebugLine(const std::string& line);

}  // namespace tandrel
