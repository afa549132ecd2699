// Linux transport: UVC extension-unit controls through the uvcvideo driver's
// UVCIOC_CTRL_QUERY on the camera's V4L2 node. A camera handle is a path to the node
// ("/dev/video0", or any other name of it such as udev's /dev/v4l/by-id links); the display
// name adds the USB vendor and product id in the vid_xxxx&pid_xxxx form the core looks for.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "transport/platform_transport.h"

namespace tandrel {

// The system calls the transport makes on a camera node, so that tests can run it without
// one. Each reports failure as the real call does: -1 with errno set.
class DeviceCalls {
 public:
  virtual ~DeviceCalls() = default;
  virtual int Open(const char* path, int flags) = 0;
  virtual int Close(int fd) = 0;
  virtual int Ioctl(int fd, unsigned long request, void* argument) = 0;
  virtual int Stat(const char* path, struct stat* info) = 0;
  virtual void Sleep(uint32_t milliseconds) = 0;
};

// What the transport knows of one enumerated USB device, shared by every control opened on it:
// the lengths of its extension-unit controls as its size queries answered them, and whether
// it has left (ENODEV: a device the kernel let go of never comes back; plugged in again it is
// a new enumeration).
class EnumeratedDevice {
 public:
  using Control = std::pair<uint8_t, uint8_t>;  // unit id, selector
  bool FindLength(Control control, uint16_t& length);
  void LearnLength(Control control, uint16_t length);
  void Left();
  bool HasLeft();

 private:
  std::mutex mutex_;
  std::map<Control, uint16_t> lengths_;
  bool left_ = false;
};

// The real open, close and ioctl.
DeviceCalls& SystemDeviceCalls();

class V4l2Transport : public Transport {
 public:
  // sysfsRoot is where cameras are listed and described, devRoot where their nodes are.
  explicit V4l2Transport(std::string sysfsRoot = "/sys", std::string devRoot = "/dev",
                         DeviceCalls& calls = SystemDeviceCalls());

  std::unique_ptr<VideoInputList> ListVideoInputs() override;
  std::shared_ptr<BoundCamera> HoldHandle(ZelDeviceHandle camera) override;
  std::unique_ptr<DeviceControl> OpenControl(const CameraRef& camera, uint32_t& status) override;
  void Sleep(uint32_t milliseconds) override;
  int64_t WallClockSeconds() override;

 private:
  // The USB device directory above a video device's sysfs folder: the parent of its interface.
  static std::string UsbDeviceDirectory(const std::string& videoDeviceFolder);
  // The USB device in that directory as it is enumerated now; devices gone from sysfs or
  // enumerated anew since are forgotten here.
  std::shared_ptr<EnumeratedDevice> DeviceAt(const std::string& usbDevice);

  std::string sysfsRoot_;
  std::string videoClass_;
  std::string devRoot_;
  DeviceCalls& calls_;
  struct KnownDevice {
    std::string deviceNumber;  // devnum: a new one for every enumeration
    std::shared_ptr<EnumeratedDevice> device;
  };
  std::mutex devicesMutex_;
  std::map<std::string, KnownDevice> devices_;  // by USB device directory
};

}  // namespace tandrel
