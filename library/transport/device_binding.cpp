// Binding exports: which camera the command exports talk to.
#include <cstring>

#include "tandrel.h"
#include "transport/camera_name.h"
#include "transport/current_device.h"
#include "transport/device_table.h"
#include "transport/library_lock.h"
#include "transport/xu_access.h"

namespace tandrel {
namespace {

constexpr uint32_t kProbeSelector = 2;

// Binds camera when its vendor extension unit answers the length probe.
int BindProbed(CameraRef camera) {
  LibraryHold hold(LibraryLock());
  SetCurrentDevice(camera);
  XuAccess access;
  access.Open(camera);
  uint32_t length = 0;
  if (access.QueryControlLength(kProbeSelector, length)) return ZEL_OK;
  ClearCurrentDevice();
  return ZEL_E_UNREACHABLE;
}

int BindFirstFound() {
  LibraryHold hold(LibraryLock());
  XuAccess access;
  access.Open(CameraRef{});
  const std::shared_ptr<BoundCamera> found = access.TakeFoundCamera();
  if (found) {
    SetCurrentDevice(CameraRef{found->Handle(), found});
  } else {
    ClearCurrentDevice();
  }
  return ZEL_OK;
}

void EmptyDeviceTable() {
  LibraryHold hold(LibraryLock());
  for (DeviceTableEntry& entry : DeviceTable()) entry = DeviceTableEntry{};
}

// Binds every supported video input that passes the probe, filling the table's next entry
// with each; an input that cannot be bound still gets a labelled entry.
void FillDeviceTable() {
  const std::unique_ptr<VideoInputList> devices = PlatformTransport().ListVideoInputs();
  if (!devices) return;
  size_t next = 0;
  for (size_t i = 0; i < devices->Count() && next < kDeviceTableEntries; ++i) {
    const std::string name = ConvertedDisplayName(devices->DisplayName(i));
    if (!IsSupportedCamera(name)) continue;
    uint32_t status = 0;
    std::shared_ptr<BoundCamera> camera = devices->Bind(i, status);
    if (camera && BindProbed(CameraRef{camera->Handle(), camera}) != ZEL_OK) {
      ClearCurrentDevice();
      continue;
    }
    LibraryHold hold(LibraryLock());
    DeviceTableEntry& entry = DeviceTable()[next++];
    entry.camera = std::move(camera);
    const std::string label = DeviceLabelOf(name);
    std::memcpy(entry.label, label.data(), label.size());
  }
}

}  // namespace

DeviceTableEntries& DeviceTable() {
  static DeviceTableEntries* const table = new DeviceTableEntries;
  return *table;
}

}  // namespace tandrel

using namespace tandrel;

extern "C" TANDREL_API int ZelSetDeviceHandle(ZelDeviceHandle device) {
  try {
    if (device == nullptr) return BindFirstFound();
    std::shared_ptr<BoundCamera> held = PlatformTransport().HoldHandle(device);
    return BindProbed(held ? CameraRef{held->Handle(), std::move(held)} : CameraRef{device, nullptr});
  } catch (...) {
    return ZEL_E_UNREACHABLE;
  }
}

extern "C" TANDREL_API int ZelClearDeviceHandle(void) {
  LibraryHold hold(LibraryLock());
  ClearCurrentDevice();
  return ZEL_OK;
}

extern "C" TANDREL_API int pfn_RvcLib_UnInitialize(void) { return ZelClearDeviceHandle(); }

extern "C" TANDREL_API int pfn_RvcLib_Initialize(void) {
  try {
    // Left prepared: the table's cameras are used from this thread afterwards.
    PlatformTransport().PrepareCallingThread();
    EmptyDeviceTable();
    FillDeviceTable();
  } catch (...) {
  }
  return ZEL_OK;
}
