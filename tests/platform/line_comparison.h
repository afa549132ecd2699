// Line-by-line comparison of what the simulated library and a platform's library gave: call
// results, and request traces. A platform's driver may legitimately differ from the simulated
// transport in how requests reach the camera; CompareTraces names those ways and counts them
// apart from the differences.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace platform_test {

struct LineCounts {
  size_t lines = 0;
  size_t differences = 0;
};

// Equal line for line; the first few differences are reported as test failures.
LineCounts CompareLines(const char* what, const char* platform,
                        const std::vector<std::string>& simulated,
                        const std::vector<std::string>& other);

struct TraceCounts {
  size_t lines = 0;        // platform lines compared
  size_t differences = 0;
  size_t knownLengths = 0;  // size probes the platform answered from a length it had learned
  size_t refused = 0;       // requests of a length other than the control's, never sent
};

// The platform's trace must be the simulated one, except that a size probe of a control whose
// length the platform learned from an earlier probe may be missing, a request of another
// length than the control's that the camera refused (ERROR_INVALID_PARAMETER) may be missing,
// and a read of fewer bytes than the control may be a read of the whole control that begins
// with the same bytes.
TraceCounts CompareTraces(const char* platform, const std::vector<std::string>& simulated,
                          const std::vector<std::string>& other);

}  // namespace platform_test
