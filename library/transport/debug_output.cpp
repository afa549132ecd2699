#include "transport/debug_output.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdio>
#endif

namespace tandrel {

void DebugLine(const std::string& line) {
#ifdef _WIN32
  OutputDebugStringA(line.c_str());
#else
  std::fprintf(stderr, "%s\n", line.c_str());
#endif
}

}  // namespace tandrel
