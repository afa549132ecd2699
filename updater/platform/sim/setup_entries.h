// The setup entries of a simulated world's present devices, as the system's device setup lists
// show them: each camera with an InstanceId, and each [Device<N>] section, a present device that
// is no camera (a scanner, say: Device1, Device2, ... until the first number missing).
//
// Keys of a camera or a [Device<N>] section:
//   InstanceId=<id>      the entry's instance id (a camera without one has no entry)
//   HardwareId=<id>      the first hardware id (a camera reports its release in it)
//   HardwareIds=<ids>    more hardware ids after it, separated by blanks
//   NoHardwareIds=1      the entry has no hardware-id list at all
//   SetupClass=Camera|Image  the setup class: the camera class, where Windows 10 (1709) and
//                        later file webcams, or the imaging class of Windows 7 and 8 and of
//                        vendor INFs (and of scanners); the [World]'s SetupClass by default,
//                        Camera when that is unset too
#pragma once

#include <string>
#include <vector>

#include "world/world_file.h"

namespace ostrel::sim_platform {

enum class SetupClass { kImage, kCamera };

struct SetupEntry {
  SetupClass setupClass = SetupClass::kCamera;
  std::u16string instanceId;
  std::vector<std::u16string> hardwareIds;  // empty: no hardware-id list
};

// The [Device<N>] entries, then the cameras', each in world order.
std::vector<SetupEntry> SetupEntries(const sim::WorldFile& world);

}  // namespace ostrel::sim_platform
