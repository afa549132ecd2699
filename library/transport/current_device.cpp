#include "transport/current_device.h"

#include <utility>

namespace tandrel {
namespace {

// Holds the library's own reference to a camera it found, so that releasing the device table
// can never leave the binding pointing at a released camera. Released when the library is
// unloaded or the process exits, so that nothing it holds outlives the library.
CameraRef& Binding() {
  static CameraRef binding;
  return binding;
}

}  // namespace

const CameraRef& CurrentDevice() { return Binding(); }

void SetCurrentDevice(CameraRef camera) { Binding() = std::move(camera); }

void ClearCurrentDevice() { Binding() = CameraRef{}; }

}  // namespace tandrel
