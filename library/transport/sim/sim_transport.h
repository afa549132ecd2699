// The simulated transport: the cameras of the simulated world as video inputs. A camera
// handle is a pointer to the camera's DevicePath text, NUL-terminated.
#pragma once

namespace tandrel {

// Cameras the library currently holds a reference to (bound and not yet released).
int SimLiveBindings();

}  // namespace tandrel
