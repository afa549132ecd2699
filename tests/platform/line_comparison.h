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
  size_t lines = 0;         // platform lines compared
  size_t differences = 0;
  size_t knownLengths = 0;  // size probes the platform answered from a length it had learned
  size_t refused = 0;       // requests the platform refused from the descriptors, never sent
  size_t afterLeaving = 0;  // requests to a camera that had left the bus, never sent
};

// The platform's trace must be the simulated one, except that these simulated lines may be
// missing there: a size probe of a control whose length the platform learned from an earlier
// probe; a request the camera refused as one of another length than the control's
// (ERROR_INVALID_PARAMETER, ERROR_INSUFFICIENT_BUFFER) or as one to a unit or control it lacks
// (ERROR_SET_NOT_FOUND, ERROR_NOT_FOUND), all of which a driver knows from the descriptors; any
// request to the camera once it has answered that it is gone (ERROR_DEVICE_NOT_CONNECTED),
// since it has then left the bus.
TraceCounts CompareTraces(const char* platform, const std::vector<std::string>& simulated,
                          const std::vector<std::string>& other);

// How many of the first `count` requests of the simulated trace such a driver sends to the
// camera (the rules above before the camera has left). A camera that leaves the bus after
// `count` requests in the simulated world is given this count on the platform, so that it
// leaves after the same request of the library.
size_t RequestsReachingCamera(const std::vector<std::string>& simulated, size_t count);

}  // namespace platform_test
