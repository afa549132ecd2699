#include "sysfs/video4linux.h"

#include <dirent.h>

#include <algorithm>
#include <fstream>

namespace sysfs {

std::string ReadAttribute(const std::string& path) {
  std::ifstream in(path);
  std::string value;
  std::getline(in, value);
  while (!value.empty() && (value.back() == '\n' || value.back() == ' ')) value.pop_back();
  return value;
}

std::vector<std::string> VideoNodeNames(const std::string& classDir) {
  std::vector<std::string> names;
  if (DIR* dir = opendir(classDir.c_str())) {
    while (const dirent* entry = readdir(dir)) {
      const std::string name = entry->d_name;
      if (name.rfind("video", 0) == 0) names.push_back(name);
    }
    closedir(dir);
  }
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return a.size() != b.size() ? a.size() < b.size() : a < b;
  });
  return names;
}

}  // namespace sysfs
