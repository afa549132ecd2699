// The platform's debug channel for the library's one diagnostic line: OutputDebugString on
// Windows; on Linux standard error, when the environment sets TANDREL_DEBUG.
#pragma once

#include <string>

namespace tandrel {

void DebugLine(const std::string& line);

}  // namespace tandrel
