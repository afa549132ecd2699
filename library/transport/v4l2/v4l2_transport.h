// Linux transport: UVC extension-unit controls through the uvcvideo driver's
// UVCIOC_CTRL_QUERY on the camera's V4L2 node. A camera handle is a path to the node
// ("/dev/video0", or any other name of it such as udev's /dev/v4l/by-id links); the display
// name adds the USB vendor and product id in the vid_xxxx&pid_xxxx form the core looks for.
#pragma once

#include <sys/stat.h>

#include <string>

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
  std::unique_ptr<DeviceControl> OpenControl(ZelDeviceHandle camera, uint32_t& status) override;
  void Sleep(uint32_t milliseconds) override;
  int64_t WallClockSeconds() override;

 private:
  // The USB device directory above a video device's sysfs folder: the parent of its interface.
  static std::string UsbDeviceDirectory(const std::string& videoDeviceFolder);

  std::string sysfsRoot_;
  std::string videoClass_;
  std::string devRoot_;
  DeviceCalls& calls_;
};

}  // namespace tandrel
