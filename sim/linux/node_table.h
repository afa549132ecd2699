// The camera nodes of the world named by FAKE_UVC_WORLD, known by their character device
// number (the DevicePath of each [CameraN] section is its node, e.g. /dev/video0, a real
// character device node of the test's /dev), and the descriptors the fake sysfs tree gives
// them (/sys/dev/char/MAJ:MIN/device/../descriptors). Also the file descriptors opened on them.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "camera/live_world.h"
#include "linux/uvc_node.h"

namespace sim::linux_node {

class NodeTable {
 public:
  // The process's table, loaded on first use; empty when FAKE_UVC_WORLD is not set.
  static NodeTable& Instance();
  // The table when it was loaded, else null: no camera node was opened yet.
  static NodeTable* Loaded();

  // The node with this device number; null for a device of no camera.
  UvcNode* ByDevice(dev_t device);
  void Opened(int fd, UvcNode* node);
  UvcNode* ByDescriptor(int fd);
  void Closed(int fd);

 private:
  NodeTable();

  static std::atomic<NodeTable*> loaded_;

  std::shared_ptr<LiveWorld> world_;
  std::map<dev_t, std::unique_ptr<UvcNode>> nodes_;
  std::mutex mutex_;
  std::map<int, UvcNode*> open_;
};

}  // namespace sim::linux_node
