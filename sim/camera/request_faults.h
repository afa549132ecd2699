// The fault keys of a simulated camera's section: busy probes, unplugging, stalling, one failed
// request, failing controls and canned replies.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <utility>

#include "camera/control_port.h"
#include "world/world_file.h"

namespace sim {

struct RequestFaults {
  static RequestFaults FromWorld(const WorldFile& world, const std::u16string& section);

  using Control = std::pair<int, uint32_t>;  // unit, selector

  int64_t busyProbes = 0;
  uint64_t unplugAfter = 0;  // 0 = never
  uint32_t unplugStatus = 0;  // what every request after the unplug fails with
  uint64_t stallAfter = 0;   // 0 = never
  // The one request, by number, that fails once (a transfer error the camera recovers from).
  uint64_t failRequest = 0;  // 0 = none
  uint32_t failRequestStatus = 0;
  // On the Windows test camera that request raises an access violation inside the call.
  bool failRequestRaises = false;
  std::map<Control, uint32_t> fail;
  std::map<Control, uint32_t> failSet;
  std::map<Control, uint32_t> failGet;
  std::map<Control, ControlBytes> replies;
};

// The number under key, or fallback when absent or malformed.
int64_t WorldNumber(const WorldFile& world, const std::u16string& section,
                    const std::u16string& key, int64_t fallback);
// The numbers under the keys <prefix><U>.<S> (units 0 and 1, selectors 0 to 15), by control.
std::map<RequestFaults::Control, int64_t> ControlNumbers(const WorldFile& world,
                                                       const std::u16string& section,
                                                       const char* prefix);
// The hex bytes under key, zero-padded (or cut) to one control; nothing when absent or bad.
std::optional<ControlBytes> WorldBytes(const WorldFile& world, const std::u16string& section,
                                       const std::u16string& key);

}  // namespace sim
