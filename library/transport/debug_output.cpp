#include "transport/debug_output.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdio>
#include <cstdlib>
#endif

namespace tandrel {

void DebugLine(const std::string& line) {
#ifdef _WIN32
  OutputDebugStringA(line.c_str());
#else
  // Standard error belongs to the host program (a progress bar, a report); like the Windows
  // debug channel, which nobody sees without a debugger, the line is there only when asked for.
  const char* const wanted = std::getenv("TANDREL_DEBUG");
  if (wanted != nullptr && *wanted != '\0') std::fprintf(stderr, "%s\n", line.c_str());
#endif
}

}  // namespace tandrel
