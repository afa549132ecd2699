// LibraryRun on Linux: the simulated libtandrel.so on the simulated camera, or the real one
// through uvcvideo on the kernel bench's cameras. Where the programs are comes from the
// environment the bench sets: KERNEL_BENCH_TANDREL, KERNEL_BENCH_SIM_TANDREL (the simulated
// library) and KERNEL_BENCH_CAMERA_SERVER (usbip_camera).
#include <dlfcn.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "library_run.h"
#include "run_folder.h"

namespace platform_test {
namespace {

namespace fs = std::filesystem;

fs::path FromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? fs::path(value) : fs::path();
}

// The capture node of each camera in the server's status file, once none is still being
// enumerated; empty while some is.
std::vector<std::string> BoundNodes(const fs::path& status) {
  std::ifstream in(status);
  std::vector<std::string> nodes;
  for (std::string line; std::getline(in, line);) {
    std::istringstream fields(line);
    std::string section, portWord, port, state, nodeWord, node;
    fields >> section >> portWord >> port >> state >> nodeWord >> node;
    if (state == "attached") return {};
    nodes.push_back(node);
  }
  return nodes;
}

}  // namespace

LibraryRun::LibraryRun(Transport transport, const fs::path& folder, const World& world)
    : transport_(transport), folder_(folder), devicePaths_(world.devicePaths) {
  setupError_ = Prepare(transport, world);
  if (setupError_.empty()) setupError_ = Load();
}

LibraryRun::~LibraryRun() {
  if (exports_.ZelClearDeviceHandle != nullptr) exports_.ZelClearDeviceHandle();
  if (cameraServer_ > 0) {
    kill(cameraServer_, SIGTERM);
    waitpid(cameraServer_, nullptr, 0);
  }
}

std::string LibraryRun::Prepare(Transport transport, const World& world) {
  std::string failed = WriteWorld(folder_, world);
  if (!failed.empty()) return failed;
  const char* const library =
      transport == Transport::kSimulated ? "KERNEL_BENCH_SIM_TANDREL" : "KERNEL_BENCH_TANDREL";
  if (FromEnvironment(library).empty()) return std::string(library) + " is not set";
  failed = CopyInto(FromEnvironment(library), folder_);
  if (!failed.empty() || transport == Transport::kSimulated) return failed;

  const fs::path server = FromEnvironment("KERNEL_BENCH_CAMERA_SERVER");
  const fs::path status = folder_ / "cameras.txt";
  const std::string world_file = (folder_ / "simcam.ini").string();
  const std::string errors = (folder_ / "cameras.err").string();
  cameraServer_ = fork();
  if (cameraServer_ == 0) {
    if (FILE* log = std::fopen(errors.c_str(), "a")) dup2(fileno(log), 2);
    execl(server.c_str(), server.c_str(), world_file.c_str(), status.c_str(), nullptr);
    _exit(127);
  }
  if (cameraServer_ < 0) return "cannot start " + server.string();
  // Enumeration under emulation takes a while; a minute is far beyond it.
  for (int i = 0; i < 1200; ++i) {
    nodes_ = BoundNodes(status);
    if (!nodes_.empty() || (world.devicePaths.empty() && fs::exists(status))) return {};
    if (waitpid(cameraServer_, nullptr, WNOHANG) == cameraServer_) {
      cameraServer_ = -1;
      return "the camera server ended (" + errors + ")";
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return "the cameras were not bound within a minute";
}

std::string LibraryRun::Load() {
  const fs::path copy = folder_ / FromEnvironment(transport_ == Transport::kSimulated
                                                       ? "KERNEL_BENCH_SIM_TANDREL"
                                                       : "KERNEL_BENCH_TANDREL")
                                      .filename();
  // A copy of its own for every run: a fresh library, its globals in their first state.
  library_ = dlopen(copy.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library_ == nullptr) return std::string("dlopen failed: ") + dlerror();
  std::string missing;
#define PLATFORM_TEST_LOOK_UP(name)                                                   \
  exports_.name = reinterpret_cast<decltype(exports_.name)>(dlsym(library_, #name));   \
  if (exports_.name == nullptr) missing += " " #name;
  TANDREL_SCENARIO_EXPORTS(PLATFORM_TEST_LOOK_UP)
#undef PLATFORM_TEST_LOOK_UP
  return missing.empty() ? std::string() : "exports not found:" + missing;
}

void* LibraryRun::CameraHandle(int number) {
  if (number < 1 || static_cast<size_t>(number) > devicePaths_.size()) return nullptr;
  const size_t index = static_cast<size_t>(number) - 1;
  if (transport_ == Transport::kSimulated) return const_cast<char*>(devicePaths_[index].c_str());
  return index < nodes_.size() && nodes_[index] != "-" ? const_cast<char*>(nodes_[index].c_str())
                                                        : nullptr;
}

}  // namespace platform_test
