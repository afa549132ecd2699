// What the updater and the library read alike from a Linux sysfs tree.
#pragma once

#include <string>
#include <vector>

namespace sysfs {

// An attribute file's first line without its trailing blanks; empty when it cannot be read.
std::string ReadAttribute(const std::string& path);

// The videoN entries of a video4linux class folder in numeric order (video2 before video10),
// so that both list cameras alike whatever order the file system gives.
std::vector<std::string> VideoNodeNames(const std::string& classDir);

}  // namespace sysfs
