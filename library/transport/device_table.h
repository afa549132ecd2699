// The device table pfn_RvcLib_Initialize fills: five entries, each a camera reference and
// an 80-byte label ("vid_0408 pid_2040").
#pragma once

#include <array>
#include <memory>
#include <string>

#include "transport/platform_transport.h"

namespace tandrel {

constexpr size_t kDeviceTableEntries = 5;
constexpr size_t kDeviceLabelSize = 80;

struct DeviceTableEntry {
  std::shared_ptr<BoundCamera> camera;
  char label[kDeviceLabelSize] = {};
};

using DeviceTableEntries = std::array<DeviceTableEntry, kDeviceTableEntries>;

// Guarded by the library lock.
DeviceTableEntries& DeviceTable();

}  // namespace tandrel
