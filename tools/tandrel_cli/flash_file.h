// Files the flash commands read and write, named on the command line.
#pragma once

#include <optional>
#include <string>

namespace cli {

// The whole regular file of at most the flash's size; nothing otherwise.
std::optional<std::string> ReadFlashFile(const std::string& path);
bool WriteFlashFile(const std::string& path, const std::string& bytes);

}  // namespace cli
