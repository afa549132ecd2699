#include "transport/v4l2/v4l2_transport.h"

#include <fcntl.h>
#include <linux/usb/video.h>
#include <linux/uvcvideo.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
#include <thread>
#include <utility>
#include <vector>

#include "sysfs/video4linux.h"
#include "transport/v4l2/usb_descriptors.h"
#include "transport/xu_status.h"

namespace tandrel {
namespace {

constexpr uint32_t kErrorAccessDenied = 5;

// The one place errno becomes a status word. uvcvideo reports a camera's "not ready" as
// EBUSY, which the core retries; ENOTTY is a node that is no UVC camera, never worth a retry.
uint32_t StatusFromErrno(int error) {
  switch (error) {
    case EINVAL:
    case ENOBUFS: return StatusFromWin32(kErrorInvalidParameter);
    case ENOENT: return StatusFromWin32(kErrorNotFound);
    case ENODEV:
    case ENXIO: return StatusFromWin32(kErrorDeviceNotConnected);
    case EAGAIN:
    case EBUSY: return StatusFromWin32(kErrorNotReady);
    case ENOTTY: return StatusFromWin32(kErrorNotSupported);
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
    return std::make_shared<TextCamera>(nodes_[index].devicePath);
  }

 private:
  std::vector<VideoNode> nodes_;
};

// What a control needs of its camera's USB device.
struct UsbDevice {
  std::string descriptors;
  std::optional<uint8_t> activeConfiguration;
};

// uvcvideo answers a size query only by asking the camera, although it learned the length when
// it first met the control; the length a camera gave is kept for as long as the camera stays
// enumerated, so that a probe costs no transfer. A camera that has left is not asked again.
class V4l2Control : public DeviceControl {
 public:
  // The units are looked up once: every request of the control names one of them.
  V4l2Control(DeviceCalls& calls, int fd, const UsbDevice& device,
              std::shared_ptr<EnumeratedDevice> enumerated)
      : calls_(calls), fd_(fd), enumerated_(std::move(enumerated)) {
    for (size_t i = 0; i < std::size(kExtensionUnitSets); ++i) {
      units_[i] = FindExtensionUnitId(device.descriptors, kExtensionUnitSets[i],
                                      device.activeConfiguration);
    }
  }
  ~V4l2Control() override { calls_.Close(fd_); }

  // The units stand for nodes 0 and 1 while unit 0 is there; a request finds its unit by
  // property set, whatever node it names.
  uint32_t DeviceSpecificNodes(std::vector<uint32_t>& nodes) override {
    if (units_[0]) nodes = {0, 1};
    return 0;
  }

  uint32_t Property(const NodeProperty& property, uint8_t* data, uint32_t length,
                    uint32_t& bytesReturned) override {
    bytesReturned = 0;
    if (property.flags == kPropertySupportOnNode) {
      const bool owns = property.nodeId < std::size(units_) && units_[property.nodeId] &&
                        std::memcmp(&property.set, &kExtensionUnitSets[property.nodeId],
                                    sizeof property.set) == 0;
      return owns ? 0 : StatusFromWin32(kErrorSetNotFound);
    }
    const std::optional<uint8_t> unit = UnitOf(property.set);
    if (!unit) return StatusFromWin32(kErrorNotFound);
    if (enumerated_->HasLeft()) return StatusFromWin32(kErrorDeviceNotConnected);
    const Control control(*unit, static_cast<uint8_t>(property.id));
    uint16_t controlLength = 0;
    if (!enumerated_->FindLength(control, controlLength)) {
      const uint32_t status = Query(control, UVC_GET_LEN, reinterpret_cast<uint8_t*>(&controlLength),
                                    sizeof controlLength);
      if (status != 0) return status;
      enumerated_->LearnLength(control, controlLength);
    }
    if (data == nullptr && length == 0) {
      bytesReturned = controlLength;
      return StatusFromWin32(kErrorMoreData);  // as a probe without buffer answers on Windows
    }
    // uvcvideo takes exactly the control's length: a shorter request travels as the whole
    // control, a set with the rest zero, a get answered from its first bytes.
    if (length > controlLength) return StatusFromWin32(kErrorInvalidParameter);
    const uint8_t request = property.flags == kPropertySetOnNode ? UVC_SET_CUR : UVC_GET_CUR;
    uint32_t status = 0;
    if (length == controlLength) {
      status = Request(control, request, data, controlLength);
    } else {
      std::vector<uint8_t> whole(controlLength, 0);
      if (request == UVC_SET_CUR) std::copy_n(data, length, whole.begin());
      status = Request(control, request, whole.data(), controlLength);
      if (status == 0 && request == UVC_GET_CUR) std::copy_n(whole.begin(), length, data);
    }
    if (status == 0) bytesReturned = length;
    return status;
  }

  // uvcvideo passes no vendor notification of an extension unit to user space.
  std::unique_ptr<AutoUpdateEvent> EnableAutoUpdate(uint32_t& status) override {
    status = StatusFromWin32(kErrorNotSupported);
    return nullptr;
  }

 private:
  using Control = EnumeratedDevice::Control;
  // A camera that is not ready is waited for as a size probe would have waited: the probe
  // that no longer reaches it cannot.
  static constexpr int kNotReadyRepeats = 10;
  static constexpr uint32_t kNotReadyPauseMs = 100;

  std::optional<uint8_t> UnitOf(const Guid& set) const {
    for (size_t i = 0; i < std::size(kExtensionUnitSets); ++i) {
      if (std::memcmp(&set, &kExtensionUnitSets[i], sizeof set) == 0) return units_[i];
    }
    return std::nullopt;
  }

  uint32_t Request(Control control, uint8_t request, uint8_t* data, uint16_t size) {
    uint32_t status = Query(control, request, data, size);
    for (int repeat = 0; repeat < kNotReadyRepeats && status == StatusFromWin32(kErrorNotReady);
         ++repeat) {
      calls_.Sleep(kNotReadyPauseMs);
      status = Query(control, request, data, size);
    }
    return status;
  }

  uint32_t Query(Control control, uint8_t request, uint8_t* data, uint16_t size) {
    uvc_xu_control_query query{};
    query.unit = control.first;
    query.selector = control.second;
    query.query = request;
    query.size = size;
    query.data = data;
    if (calls_.Ioctl(fd_, UVCIOC_CTRL_QUERY, &query) == 0) return 0;
    const int error = errno;
    if (error == ENODEV) enumerated_->Left();
    return StatusFromErrno(error);
  }

  DeviceCalls& calls_;
  int fd_;
  std::optional<uint8_t> units_[std::size(kExtensionUnitSets)];
  const std::shared_ptr<EnumeratedDevice> enumerated_;
};

std::optional<uint8_t> ActiveConfiguration(const std::string& usbDevice) {
  const std::string value = sysfs::ReadAttribute(usbDevice + "/bConfigurationValue");
  char* end = nullptr;
  const unsigned long number = std::strtoul(value.c_str(), &end, 10);
  if (value.empty() || *end != '\0' || number > 0xFF) return std::nullopt;
  return static_cast<uint8_t>(number);
}

class SystemCalls : public DeviceCalls {
 public:
  int Open(const char* path, int flags) override { return open(path, flags); }
  int Close(int fd) override { return close(fd); }
  int Ioctl(int fd, unsigned long request, void* argument) override {
    return ioctl(fd, request, argument);
  }
  int Stat(const char* path, struct stat* info) override { return stat(path, info); }
  void Sleep(uint32_t milliseconds) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }
};

}  // namespace

bool EnumeratedDevice::FindLength(Control control, uint16_t& length) {
  std::lock_guard<std::mutex> hold(mutex_);
  const auto known = lengths_.find(control);
  if (known == lengths_.end()) return false;
  length = known->second;
  return true;
}

void EnumeratedDevice::LearnLength(Control control, uint16_t length) {
  std::lock_guard<std::mutex> hold(mutex_);
  lengths_[control] = length;
}

void EnumeratedDevice::Left() {
  std::lock_guard<std::mutex> hold(mutex_);
  left_ = true;
  lengths_.clear();
}

bool EnumeratedDevice::HasLeft() {
  std::lock_guard<std::mutex> hold(mutex_);
  return left_;
}

DeviceCalls& SystemDeviceCalls() {
  static SystemCalls calls;
  return calls;
}

V4l2Transport::V4l2Transport(std::string sysfsRoot, std::string devRoot, DeviceCalls& calls)
    : sysfsRoot_(std::move(sysfsRoot)),
      videoClass_(sysfsRoot_ + "/class/video4linux"),
      devRoot_(std::move(devRoot)),
      calls_(calls) {}

std::string V4l2Transport::UsbDeviceDirectory(const std::string& videoDeviceFolder) {
  char resolved[PATH_MAX];
  const std::string link = videoDeviceFolder + "/device";
  if (realpath(link.c_str(), resolved) == nullptr) return {};
  std::string interfaceDir(resolved);
  const size_t slash = interfaceDir.rfind('/');
  return slash == std::string::npos ? std::string() : interfaceDir.substr(0, slash);
}

std::shared_ptr<EnumeratedDevice> V4l2Transport::DeviceAt(const std::string& usbDevice) {
  std::lock_guard<std::mutex> hold(devicesMutex_);
  for (auto known = devices_.begin(); known != devices_.end();) {
    const std::string number = sysfs::ReadAttribute(known->first + "/devnum");
    known = number.empty() || number != known->second.deviceNumber ? devices_.erase(known)
                                                                   : std::next(known);
  }
  const std::string number = sysfs::ReadAttribute(usbDevice + "/devnum");
  // A device that tells no number cannot be told from the next one on its port.
  if (usbDevice.empty() || number.empty()) return std::make_shared<EnumeratedDevice>();
  KnownDevice& known = devices_[usbDevice];
  if (!known.device) known = {number, std::make_shared<EnumeratedDevice>()};
  return known.device;
}

std::unique_ptr<VideoInputList> V4l2Transport::ListVideoInputs() {
  if (access(videoClass_.c_str(), F_OK) != 0) return nullptr;
  std::vector<VideoNode> nodes;
  for (const std::string& node : sysfs::VideoNodeNames(videoClass_)) {
    // Each camera also has a metadata node; only the first node of a device captures.
    if (sysfs::ReadAttribute(videoClass_ + "/" + node + "/index") != "0") continue;
    const std::string usb = UsbDeviceDirectory(videoClass_ + "/" + node);
    const std::string vendor = sysfs::ReadAttribute(usb + "/idVendor");
    const std::string product = sysfs::ReadAttribute(usb + "/idProduct");
    const std::string path = devRoot_ + "/" + node;
    nodes.push_back({path, path + "#usb#vid_" + vendor + "&pid_" + product});
  }
  return std::make_unique<V4l2VideoInputs>(std::move(nodes));
}

std::shared_ptr<BoundCamera> V4l2Transport::HoldHandle(ZelDeviceHandle camera) {
  return std::make_shared<TextCamera>(static_cast<const char*>(camera));
}

std::unique_ptr<DeviceControl> V4l2Transport::OpenControl(const CameraRef& camera,
                                                          uint32_t& status) {
  const char* const path = static_cast<const char*>(camera.handle);
  // The node itself, not its name, leads to its camera: udev's by-id and by-path links and
  // renamed nodes name the same character device.
  struct stat node {};
  if (calls_.Stat(path, &node) != 0) {
    status = StatusFromErrno(errno == ENOENT ? ENODEV : errno);
    return nullptr;
  }
  if (!S_ISCHR(node.st_mode)) {
    status = StatusFromWin32(kErrorNotSupported);
    return nullptr;
  }
  const int fd = calls_.Open(path, O_RDWR | O_CLOEXEC);
  if (fd < 0) {
    status = StatusFromErrno(errno == ENOENT ? ENODEV : errno);
    return nullptr;
  }
  status = 0;
  const std::string usb = UsbDeviceDirectory(sysfsRoot_ + "/dev/char/" +
                                             std::to_string(major(node.st_rdev)) + ":" +
                                             std::to_string(minor(node.st_rdev)));
  // A node of no USB device has no units: every request then finds none.
  UsbDevice device;
  if (!usb.empty()) device = {ReadText(usb + "/descriptors"), ActiveConfiguration(usb)};
  return std::make_unique<V4l2Control>(calls_, fd, device, DeviceAt(usb));
}

void V4l2Transport::Sleep(uint32_t milliseconds) { calls_.Sleep(milliseconds); }

int64_t V4l2Transport::WallClockSeconds() { return static_cast<int64_t>(std::time(nullptr)); }

Transport& PlatformTransport() {
  static V4l2Transport* const transport = new V4l2Transport;
  return *transport;
}

}  // namespace tandrel
