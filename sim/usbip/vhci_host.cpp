#include "usbip/vhci_host.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

namespace sim::usbip {
namespace {

constexpr char kVhci[] = "/sys/devices/platform/vhci_hcd.0";
constexpr unsigned kPortFreeState = 4;  // VDEV_ST_NULL in vhci-hcd's status file

std::string ReadLine(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  return line;
}

bool WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path);
  out << text;
  out.flush();
  return static_cast<bool>(out);
}

bool SendAll(int fd, const std::vector<uint8_t>& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

bool ReceiveAll(int fd, std::vector<uint8_t>& bytes) {
  size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t n = recv(fd, bytes.data() + got, bytes.size() - got, 0);
    if (n <= 0) return false;
    got += static_cast<size_t>(n);
  }
  return true;
}

std::vector<std::string> Entries(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = opendir(folder.c_str())) {
    while (const dirent* entry = readdir(dir)) {
      if (entry->d_name[0] != '.') names.emplace_back(entry->d_name);
    }
    closedir(dir);
  }
  return names;
}

}  // namespace

VhciHost::VhciHost(uint16_t tcpPort) : tcpPort_(tcpPort) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const int yes = 1;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(tcpPort);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (fd < 0 || setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes) != 0 ||
      bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 8) != 0) {
    error_ = std::string("cannot listen on 127.0.0.1: ") + std::strerror(errno);
    if (fd >= 0) close(fd);
    return;
  }
  listener_ = fd;
}

VhciHost::~VhciHost() {
  if (listener_ >= 0) close(listener_);
}

int VhciHost::Attach(uint32_t port, const ExportedDevice& device) {
  const int client = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(tcpPort_);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (client < 0 || connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      !SendAll(client, ImportRequest(device.busId))) {
    error_ = std::string("cannot connect to the camera server: ") + std::strerror(errno);
    if (client >= 0) close(client);
    return -1;
  }
  const int server = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
  std::vector<uint8_t> request(kOperationHeaderBytes + kBusIdBytes);
  std::vector<uint8_t> reply(kOperationHeaderBytes + kExportedDeviceBytes);
  bool imported = server >= 0 && ReceiveAll(server, request) &&
                  ImportedBusId(request) == device.busId && SendAll(server, ImportReply(device)) &&
                  ReceiveAll(client, reply);
  // Each request and reply is one small write; delaying them only slows every transfer.
  const int yes = 1;
  if (imported) {
    setsockopt(server, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    std::ostringstream attach;
    attach << port << ' ' << client << ' ' << (device.busNumber << 16 | device.deviceNumber) << ' '
           << kSpeedHigh;
    imported = WriteText(std::string(kVhci) + "/attach", attach.str());
    if (!imported) error_ = std::string("vhci-hcd refused the attach: ") + std::strerror(errno);
  } else {
    error_ = "the import of " + device.busId + " failed";
  }
  // vhci-hcd holds its own reference to the socket.
  close(client);
  if (!imported) {
    if (server >= 0) close(server);
    return -1;
  }
  return server;
}

bool VhciHost::Detach(uint32_t port) {
  return WriteText(std::string(kVhci) + "/detach", std::to_string(port));
}

bool VhciHost::PortFree(uint32_t port) {
  std::ifstream in(std::string(kVhci) + "/status");
  std::string line;
  std::getline(in, line);  // the column names
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string hub;
    unsigned number = 0, state = 0;
    fields >> hub >> number >> state;
    if (hub == "hs" && number == port) return state == kPortFreeState;
  }
  return false;
}

std::string VhciHost::HighSpeedBus() {
  if (bus_.empty()) {
    for (const std::string& name : Entries(kVhci)) {
      if (name.rfind("usb", 0) == 0 && ReadLine(std::string(kVhci) + "/" + name + "/speed") == "480") {
        bus_ = name.substr(3);
      }
    }
  }
  return bus_;
}

std::string VhciHost::DeviceFolder(uint32_t port) {
  return "/sys/bus/usb/devices/" + HighSpeedBus() + "-" + std::to_string(port + 1);
}

std::string VhciHost::CaptureNode(uint32_t port) {
  const std::string interface = DeviceFolder(port) + "/" + HighSpeedBus() + "-" +
                                std::to_string(port + 1) + ":1.0/video4linux";
  for (const std::string& node : Entries(interface)) {
    if (ReadLine(interface + "/" + node + "/index") == "0") return "/dev/" + node;
  }
  return {};
}

}  // namespace sim::usbip
