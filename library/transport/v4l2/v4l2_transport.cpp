#include "transport/v4l2/v4l2_transport.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/usb/video.h>
#include <linux/uvcvideo.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <ctime>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "transport/v4l2/usb_descriptors.h"
#include "transport/xu_status.h"

namespace tandrel {
namespace {

constexpr uint32_t kErrorAccessDenied = 5;
constexpr uint32_t kErrorBusy = 170;

// The one place errno becomes a status word.
uint32_t StatusFromErrno(int error) {
  switch (error) {
    case EINVAL: return StatusFromWin32(kErrorInvalidParameter);
    case ENOENT: return StatusFromWin32(kErrorNotFound);
    case ENODEV:
    case ENXIO: return StatusFromWin32(kErrorDeviceNotConnected);
    case EAGAIN: return StatusFromWin32(kErrorNotReady);
    case EBUSY: return StatusFromWin32(kErrorBusy);
    case EACCES:
    case EPERM: return StatusFromWin32(kErrorAccessDenied);
    default: return StatusFromWin32(kErrorGenFailure);
  }
}

std::string ReadText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

std::string Trimmed(std::string value) {
  while (!value.empty() && (value.back() == '\n' || value.back() == ' ')) value.pop_back();
  return value;
}

std::string NodeName(const std::string& devicePath) {
  const size_t slash = devicePath.rfind('/');
  return slash == std::string::npos ? devicePath : devicePath.substr(slash + 1);
}

class PathCamera : public BoundCamera {
 public:
  explicit PathCamera(std::string path) : path_(std::move(path)) {}
  ZelDeviceHandle Handle() const override { return const_cast<char*>(path_.c_str()); }

 private:
  std::string path_;
};

struct VideoNode {
  std::string devicePath;
  std::string displayName;
};

class V4l2VideoInputs : public VideoInputList {
 public:
  explicit V4l2VideoInputs(std::vector<VideoNode> nodes) : nodes_(std::move(nodes)) {}
  size_t Count() const override { return nodes_.size(); }
  std::string DisplayName(size_t index) const override { return nodes_[index].displayName; }
  std::shared_ptr<BoundCamera> Bind(size_t index, uint32_t&) override {
    return std::make_shared<PathCamera>(nodes_[index].devicePath);
  }

 private:
  std::vector<VideoNode> nodes_;
};

class V4l2Control : public DeviceControl {
 public:
  V4l2Control(DeviceCalls& calls, int fd, std::string descriptors)
      : calls_(calls), fd_(fd), descriptors_(std::move(descriptors)) {}
  ~V4l2Control() override { calls_.Close(fd_); }

  uint32_t FindExtensionNode(uint32_t& nodeId) override {
    if (!FindExtensionUnitId(descriptors_, kExtensionUnitSets[0])) return 1;
    nodeId = 0;  // the node is found per request by property set; node ids are unused here
    return 0;
  }

  uint32_t Property(const NodeProperty& property, uint8_t* data, uint32_t length,
                    uint32_t& bytesReturned) override {
    bytesReturned = 0;
    const std::optional<uint8_t> unit = FindExtensionUnitId(descriptors_, property.set);
    if (!unit) return StatusFromWin32(kErrorNotFound);
    uvc_xu_control_query query{};
    query.unit = *unit;
    query.selector = static_cast<uint8_t>(property.id);
    if (data == nullptr && length == 0) {
      uint16_t controlLength = 0;
      query.query = UVC_GET_LEN;
      query.size = sizeof controlLength;
      query.data = reinterpret_cast<uint8_t*>(&controlLength);
      if (calls_.Ioctl(fd_, UVCIOC_CTRL_QUERY, &query) != 0) return StatusFromErrno(errno);
      bytesReturned = controlLength;
      return StatusFromWin32(kErrorMoreData);  // as a probe without buffer answers on Windows
    }
    query.query = property.flags == kPropertySetOnNode ? UVC_SET_CUR : UVC_GET_CUR;
    query.size = static_cast<uint16_t>(length);
    query.data = data;
    if (calls_.Ioctl(fd_, UVCIOC_CTRL_QUERY, &query) != 0) return StatusFromErrno(errno);
    bytesReturned = length;
    return 0;
  }

  // uvcvideo passes no vendor notification of an extension unit to user space.
  std::unique_ptr<AutoUpdateEvent> EnableAutoUpdate(uint32_t& status) override {
    status = StatusFromWin32(kErrorNotSupported);
    return nullptr;
  }

 private:
  DeviceCalls& calls_;
  int fd_;
  std::string descriptors_;
};

class SystemCalls : public DeviceCalls {
 public:
  int Open(const char* path, int flags) override { return open(path, flags); }
  int Close(int fd) override { return close(fd); }
  int Ioctl(int fd, unsigned long request, void* argument) override {
    return ioctl(fd, request, argument);
  }
};

}  // namespace

DeviceCalls& SystemDeviceCalls() {
  static SystemCalls calls;
  return calls;
}

V4l2Transport::V4l2Transport(std::string sysfsRoot, std::string devRoot, DeviceCalls& calls)
    : videoClass_(sysfsRoot + "/class/video4linux"), devRoot_(std::move(devRoot)), calls_(calls) {}

std::string V4l2Transport::UsbDeviceDirectory(const std::string& node) const {
  char resolved[PATH_MAX];
  const std::string link = videoClass_ + "/" + node + "/device";
  if (realpath(link.c_str(), resolved) == nullptr) return {};
  std::string interfaceDir(resolved);
  const size_t slash = interfaceDir.rfind('/');
  return slash == std::string::npos ? std::string() : interfaceDir.substr(0, slash);
}

std::unique_ptr<VideoInputList> V4l2Transport::ListVideoInputs() {
  DIR* const dir = opendir(videoClass_.c_str());
  if (dir == nullptr) return nullptr;
  std::vector<VideoNode> nodes;
  while (const dirent* entry = readdir(dir)) {
    const std::string node = entry->d_name;
    if (node.rfind("video", 0) != 0) continue;
    // Each camera also has a metadata node; only the first node of a device captures.
    if (Trimmed(ReadText(videoClass_ + "/" + node + "/index")) != "0") continue;
    const std::string usb = UsbDeviceDirectory(node);
    const std::string vendor = Trimmed(ReadText(usb + "/idVendor"));
    const std::string product = Trimmed(ReadText(usb + "/idProduct"));
    const std::string path = devRoot_ + "/" + node;
    nodes.push_back({path, path + "#usb#vid_" + vendor + "&pid_" + product});
  }
  closedir(dir);
  return std::make_unique<V4l2VideoInputs>(std::move(nodes));
}

std::unique_ptr<DeviceControl> V4l2Transport::OpenControl(ZelDeviceHandle camera,
                                                          uint32_t& status) {
  const std::string path = static_cast<const char*>(camera);
  const int fd = calls_.Open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) {
    status = StatusFromErrno(errno == ENOENT ? ENODEV : errno);
    return nullptr;
  }
  status = 0;
  const std::string descriptors = ReadText(UsbDeviceDirectory(NodeName(path)) + "/descriptors");
  return std::make_unique<V4l2Control>(calls_, fd, descriptors);
}

void V4l2Transport::Sleep(uint32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

int64_t V4l2Transport::WallClockSeconds() { return static_cast<int64_t>(std::time(nullptr)); }

Transport& PlatformTransport() {
  static V4l2Transport* const transport = new V4l2Transport;
  return *transport;
}

}  // namespace tandrel
