#include "transport/current_device.h"

#include <utility>

namespace tandrel {
namespace {

// Holds the library's own reference to a camera it found, so that releasing the device table
// can never leave the binding pointing at a released camera.
CameraRef& Binding() {
  static CameraRef* const binding = new CameraRef;
  return *binding;
}

}  // namespace

const CameraRef& CurrentDevice() { return Binding(); }

void SetCurrentDevice(CameraRef camera) { Binding() = std::move(camera); }

void ClearCurrentDevice() { Binding() = CameraRef{}; }

}  // namespace tandrel
