// usbip_camera: the cameras of a world as USB devices of the running kernel. Each zel or plain
// camera of the world file is imported over USB/IP on 127.0.0.1 and attached to a vhci-hcd
// port (CameraN of the world on the Nth port), where the kernel enumerates it and uvcvideo
// binds it; its requests are answered by the ZEL camera model. A camera that the model
// unplugs is detached; after a chip reset the camera leaves the bus and comes back with the
// descriptor its flash now holds. SIGTERM or SIGINT detaches every camera and ends the program.
//
// The status file is rewritten whenever a camera's state changes, one line per camera:
//   <section> port <n> <attached|bound|unplugged|failed> node <node or -> release <bcd>
//   enumerations <count> transfers <control transfers> requests <of them to the video-control
//   interface> len <of those GET_LEN> stalls <count>
// Requests are what user space causes: its extension-unit queries and what uvcvideo sends for
// them (its first GET_LEN and GET_INFO of a control, the error-code reads after a stall); the
// kernel's enumeration sends none. Stalls: the requests the camera's RequestError keys stalled.
//
// usage: usbip_camera <world.ini> <status file>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "camera/live_world.h"
#include "text/utf16.h"
#include "usbip/camera_endpoint.h"
#include "usbip/vhci_host.h"

namespace sim::usbip {
namespace {

constexpr uint16_t kUsbipTcpPort = 3240;
constexpr auto kPoll = std::chrono::milliseconds(50);

enum class State { kAttached, kBound, kUnplugged, kFailed };

struct Slot {
  std::string section;
  uint32_t port = 0;
  ZelCamera* zel = nullptr;
  CameraIdentity identity;
  EndpointFaults faults;
  std::atomic<State> state{State::kAttached};
  std::atomic<uint16_t> release{0};
  std::atomic<int> enumerations{0};
  std::atomic<uint64_t> transfers{0};
  std::atomic<uint64_t> requests{0};
  std::atomic<uint64_t> lengthQueries{0};
  std::atomic<uint64_t> stalls{0};
};

constexpr uint8_t kClassGetLen = 0x85;

uint16_t HexAfter(const std::string& text, const std::string& marker, uint16_t fallback) {
  std::string lower;
  for (char c : text) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  const size_t at = lower.find(marker);
  if (at == std::string::npos) return fallback;
  return static_cast<uint16_t>(std::strtoul(lower.substr(at + marker.size(), 4).c_str(), nullptr, 16));
}

bool ReadAll(int fd, uint8_t* bytes, size_t size) {
  size_t got = 0;
  while (got < size) {
    const ssize_t n = read(fd, bytes + got, size - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    got += static_cast<size_t>(n);
  }
  return true;
}

bool WriteAll(int fd, const std::vector<uint8_t>& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + sent, bytes.size() - sent);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

// The URBs of one enumeration, until the kernel lets go of the device or the camera leaves.
AfterRequest Serve(int fd, Slot& slot) {
  CameraEndpoint endpoint(slot.zel, slot.identity, slot.faults);
  for (;;) {
    uint8_t header[kUrbHeaderBytes];
    if (!ReadAll(fd, header, sizeof header)) return AfterRequest::kUnplug;
    UrbCommand command = ParseUrbHeader(header);
    if (command.command == kCommandUnlink) {
      // Every URB is answered before the next is read: an unlinked one has always ended.
      if (!WriteAll(fd, UnlinkReply(command, 0))) return AfterRequest::kUnplug;
      continue;
    }
    if (command.command != kCommandSubmit) return AfterRequest::kUnplug;
    if (command.direction != kDirectionIn) {
      command.data.resize(command.transferLength);
      if (!ReadAll(fd, command.data.data(), command.data.size())) return AfterRequest::kUnplug;
    }
    // Nothing streams: only endpoint 0 is ever answered.
    ControlReply reply{-EPIPE, {}, AfterRequest::kContinue};
    if (command.endpoint == 0) {
      ++slot.transfers;
      const bool classRequest = (command.setup.requestType & 0x60) == 0x20;
      if (classRequest && (command.setup.index & 0xFF) == kVideoControlInterface) {
        ++slot.requests;
        if (command.setup.request == kClassGetLen) ++slot.lengthQueries;
      }
      reply = endpoint.Control(command.setup, command.data);
      slot.stalls = slot.faults.stalled;
    }
    if (!WriteAll(fd, SubmitReply(command, reply.status, reply.data, command.transferLength))) {
      return AfterRequest::kUnplug;
    }
    if (reply.after != AfterRequest::kContinue) return reply.after;
  }
}

void RunCamera(VhciHost& host, std::mutex& hostMutex, Slot& slot) {
  for (;;) {
    if (slot.zel != nullptr) slot.identity.release = slot.zel->Release().value_or(0);
    slot.release = slot.identity.release;
    ExportedDevice device{std::to_string(1) + "-" + std::to_string(slot.port + 1), 1, slot.port + 2,
                          slot.identity.vendor, slot.identity.product, slot.identity.release,
                          0xEF, 0x02, 0x01, kInterfaces};
    int fd = -1;
    {
      std::lock_guard<std::mutex> hold(hostMutex);
      fd = host.Attach(slot.port, device);
      if (fd < 0) std::fprintf(stderr, "usbip_camera: %s: %s\n", slot.section.c_str(), host.Error().c_str());
    }
    if (fd < 0) {
      slot.state = State::kFailed;
      return;
    }
    ++slot.enumerations;
    slot.state = State::kAttached;
    const AfterRequest after = Serve(fd, slot);
    {
      std::lock_guard<std::mutex> hold(hostMutex);
      host.Detach(slot.port);
    }
    close(fd);
    if (after != AfterRequest::kReenumerate) {
      std::fprintf(stderr, "usbip_camera: %s left the bus\n", slot.section.c_str());
      slot.state = State::kUnplugged;
      return;
    }
    std::fprintf(stderr, "usbip_camera: %s re-enumerates after its chip reset\n", slot.section.c_str());
    slot.state = State::kAttached;
    while (!host.PortFree(slot.port)) std::this_thread::sleep_for(kPoll);
  }
}

const char* StateName(State state) {
  switch (state) {
    case State::kAttached: return "attached";
    case State::kBound: return "bound";
    case State::kUnplugged: return "unplugged";
    case State::kFailed: return "failed";
  }
  return "?";
}

void WriteStatus(const std::string& path, const std::string& text) {
  const std::string partial = path + ".partial";
  std::ofstream(partial) << text;
  std::rename(partial.c_str(), path.c_str());
}

int Main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: usbip_camera <world.ini> <status file>\n");
    return 2;
  }
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGTERM);
  sigaddset(&stop, SIGINT);
  pthread_sigmask(SIG_BLOCK, &stop, nullptr);

  LiveWorld world{WorldFile(text::Utf8ToUtf16(argv[1]))};
  VhciHost host(kUsbipTcpPort);
  if (!host.Ready()) {
    std::fprintf(stderr, "usbip_camera: %s\n", host.Error().c_str());
    return 1;
  }
  std::vector<std::unique_ptr<Slot>> slots;
  for (size_t i = 0; i < world.CameraCount(); ++i) {
    const CameraConfig& config = world.Camera(i);
    if (config.model != "zel" && config.model != "plain") continue;
    auto slot = std::make_unique<Slot>();
    slot->section = text::Utf16ToUtf8(config.section);
    slot->port = static_cast<uint32_t>(slots.size());
    slot->zel = world.Zel(i);
    slot->identity.vendor = HexAfter(config.devicePath, "vid_", 0);
    slot->identity.product = HexAfter(config.devicePath, "pid_", 0);
    slot->identity.release = HexAfter(text::Utf16ToUtf8(config.hardwareId), "rev_", 0x0100);
    slot->identity.zelUnits = slot->zel != nullptr && slot->zel->HasExtensionUnit();
    slot->identity.manufacturer = "NORV";
    slot->identity.productName = slot->zel != nullptr ? "ZEL Camera" : "USB Webcam";
    slot->faults = EndpointFaults::FromWorld(world.File(), config.section);
    slots.push_back(std::move(slot));
  }
  std::mutex hostMutex;
  for (auto& slot : slots) {
    std::thread([&host, &hostMutex, &slot] { RunCamera(host, hostMutex, *slot); }).detach();
  }

  std::string shown = "(none)";
  for (;;) {
    std::string status;
    for (auto& slot : slots) {
      std::string node;
      State state = slot->state;
      if (state == State::kAttached || state == State::kBound) {
        node = host.CaptureNode(slot->port);
        state = node.empty() ? State::kAttached : State::kBound;
      }
      char release[8];
      std::snprintf(release, sizeof release, "%04x", static_cast<unsigned>(slot->release.load()));
      status += slot->section + " port " + std::to_string(slot->port) + " " + StateName(state) +
                " node " + (node.empty() ? "-" : node) + " release " + release + " enumerations " +
                std::to_string(slot->enumerations.load()) + " transfers " +
                std::to_string(slot->transfers.load()) + " requests " +
                std::to_string(slot->requests.load()) + " len " +
                std::to_string(slot->lengthQueries.load()) + " stalls " +
                std::to_string(slot->stalls.load()) + "\n";
    }
    if (status != shown) {
      WriteStatus(argv[2], status);
      shown = status;
    }
    const timespec wait{0, std::chrono::nanoseconds(kPoll).count()};
    if (sigtimedwait(&stop, nullptr, &wait) > 0) break;
  }
  // The cameras leave the bus; what their flash holds is on file already.
  std::lock_guard<std::mutex> hold(hostMutex);
  for (auto& slot : slots) {
    if (slot->state != State::kUnplugged && slot->state != State::kFailed) host.Detach(slot->port);
  }
  for (auto& slot : slots) {
    for (int i = 0; i < 250 && !host.PortFree(slot->port); ++i) std::this_thread::sleep_for(kPoll);
  }
  std::fflush(nullptr);
  _exit(0);  // the camera threads may still wait on their sockets
}

}  // namespace
}  // namespace sim::usbip

int main(int argc, char** argv) { return sim::usbip::Main(argc, argv); }
