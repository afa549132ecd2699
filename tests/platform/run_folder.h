// The files of a scenario run's folder that every transport writes alike.
#pragma once

#include <filesystem>
#include <string>

#include "library_run.h"

namespace platform_test {

// Empties the folder and writes the world into it: simcam.ini and camera2.flash. Empty on
// success, otherwise what failed.
std::string WriteWorld(const std::filesystem::path& folder, const World& world);
// Copies a file into the folder under its own name; empty on success.
std::string CopyInto(const std::filesystem::path& file, const std::filesystem::path& folder);

}  // namespace platform_test
