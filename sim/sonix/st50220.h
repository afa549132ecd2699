// The stand-in of SONIX's companion driver library: BurnerApLib reaches the camera only
// through it, so a missing st50220 fails the loading of BurnerApLib as a whole.
#pragma once

#include "vendor/vendor_camera.h"

// 1 when the driver answers for a camera of the world.
SIM_EXPORT int St50220_Open();
