#include "sim_world_fixture.h"

#include <sstream>
#include <thread>

#include "camera/live_world.h"
#include "tandrel.h"
#include "transport/library_lock.h"

namespace tandrel::testing {

std::string CameraSection(int number, const std::string& devicePath, const std::string& extraKeys,
                          const std::string& model) {
  return "[Camera" + std::to_string(number) + "]\nModel=" + model + "\nDevicePath=" + devicePath +
         "\n" + extraKeys + "\n";
}

bool LibraryLockIsFree() {
  bool free = false;
  std::thread([&] {
    free = LibraryLock().try_lock();
    if (free) LibraryLock().unlock();
  }).join();
  return free;
}

std::string Payload(const std::string& leadingHex) {
  return leadingHex + std::string(128 - leadingHex.size(), '0');
}

void SimWorldTest::UseWorld(const std::string& sections, const std::string& worldKeys) {
  dir_.WriteFile(u"simcam.ini",
                 "[World]\nTimeScale=0.001\nTrace=trace.log\n" + worldKeys + "\n" + sections);
  sim::LiveWorld::Activate(dir_.File(u"simcam.ini"));
}

void SimWorldTest::TearDown() {
  // Let go of every camera of this world before its folder goes.
  ZelClearDeviceHandle();
  sim::LiveWorld::Activate(dir_.File(u"absent.ini"));
  pfn_RvcLib_Initialize();
}

std::vector<std::string> SimWorldTest::Trace() const {
  std::vector<std::string> lines;
  if (!dir_.Exists(u"trace.log")) return lines;
  std::istringstream content(dir_.ReadFile(u"trace.log"));
  for (std::string line; std::getline(content, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> SimWorldTest::TraceOf(const std::string& op) const {
  std::vector<std::string> lines;
  for (const std::string& line : Trace()) {
    if (line.rfind(op + " ", 0) == 0) lines.push_back(line);
  }
  return lines;
}

}  // namespace tandrel::testing
