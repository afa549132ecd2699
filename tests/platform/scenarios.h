// The scenario list every transport runs: calls of the library's exports, each recorded with
// its result and outputs, on a world where a plain USB webcam (no vendor units) is listed
// first and a ZEL camera second, with the camera keys and the flash each scenario needs.
// Where the outcome is known the steps also check it, on every transport.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "library_run.h"

namespace platform_test {

struct Scenario {
  std::string name;
  World world;
  std::function<void(LibraryRun&)> steps;
  // Needs the camera's auto-update notification, which uvcvideo does not pass to user space.
  bool cameraEvents = false;
};

std::vector<Scenario> SharedScenarios();

}  // namespace platform_test
