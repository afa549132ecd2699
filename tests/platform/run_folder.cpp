#include "run_folder.h"

#include <fstream>
#include <mutex>

namespace platform_test {
namespace fs = std::filesystem;
namespace {

std::string WriteBytes(const fs::path& file, const char* bytes, size_t size) {
  std::ofstream out(file, std::ios::binary);
  out.write(bytes, static_cast<std::streamsize>(size));
  return out ? std::string() : "cannot write " + file.string();
}

}  // namespace

std::string WriteWorld(const fs::path& folder, const World& world) {
  std::error_code error;
  fs::remove_all(folder, error);
  fs::create_directories(folder, error);
  if (error) return "cannot make " + folder.string() + ": " + error.message();
  std::string failed = WriteBytes(folder / "simcam.ini", world.iniText.data(), world.iniText.size());
  if (failed.empty() && !world.zelFlash.empty()) {
    failed = WriteBytes(folder / "camera2.flash", reinterpret_cast<const char*>(world.zelFlash.data()),
                        world.zelFlash.size());
  }
  return failed;
}

std::string CopyInto(const fs::path& file, const fs::path& folder) {
  std::error_code error;
  fs::copy_file(file, folder / file.filename(), fs::copy_options::overwrite_existing, error);
  return error ? "cannot copy " + file.string() + ": " + error.message() : std::string();
}

void LibraryRun::Record(const std::string& line) {
  std::lock_guard<std::mutex> hold(mutex_);
  results_.push_back(line);
}

std::vector<std::string> LibraryRun::Results() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return results_;
}

std::vector<std::string> LibraryRun::Trace() const {
  std::vector<std::string> lines;
  std::ifstream in(folder_ / "trace.log", std::ios::binary);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace platform_test
