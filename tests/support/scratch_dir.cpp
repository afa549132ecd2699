#include "scratch_dir.h"

#include <atomic>
#include <filesystem>
#include <random>

#include "fs/file_io.h"
#include "text/utf16.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace ostrel::testing {
namespace {

std::filesystem::path NativePath(const std::u16string& path) {
  return std::filesystem::path(path);
}

}  // namespace

ScratchDir::ScratchDir() {
  static std::atomic<unsigned> counter{0};
  std::random_device random;
  const auto base = std::filesystem::temp_directory_path() /
                    ("ostrel-test-" + std::to_string(random()) + "-" + std::to_string(counter++));
  std::filesystem::create_directories(base);
  path_ = base.u16string();
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(NativePath(path_), ignored);
}

std::u16string ScratchDir::File(const std::u16string& relative) const {
  // In the platform's own form, as the program builds its paths.
  return (NativePath(path_) / NativePath(relative)).make_preferred().u16string();
}

void ScratchDir::MakeFolder(const std::u16string& relative) const {
  std::filesystem::create_directories(NativePath(File(relative)));
}

void ScratchDir::WriteFile(const std::u16string& relative, const std::string& bytes) const {
  fs::WriteWholeFile(File(relative), bytes);
}

std::string ScratchDir::ReadFile(const std::u16string& relative) const {
  return fs::ReadWholeFile(File(relative)).value_or(std::string());
}

bool ScratchDir::Exists(const std::u16string& relative) const {
  return std::filesystem::exists(NativePath(File(relative)));
}

#ifndef _WIN32
void ScratchDir::MakeFifo(const std::u16string& relative) const {
  mkfifo(text::Utf16ToUtf8(File(relative)).c_str(), 0600);
}

void ScratchDir::MakeLink(const std::u16string& relative, const std::string& target) const {
  std::filesystem::create_symlink(target, NativePath(File(relative)));
}
#endif

}  // namespace ostrel::testing
