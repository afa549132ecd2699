// The file path of the module (program or shared library) that holds this code, so that the
// simulated world is found beside whichever module hosts it.
#pragma once

#include <string>

namespace sim {

std::u16string HostModulePath();
// Folder part of a path, without the trailing separator.
std::u16string FolderOf(const std::u16string& path);
char16_t PathSeparator();

}  // namespace sim
