#include "linux/node_table.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "camera/request_faults.h"
#include "text/utf16.h"

namespace sim::linux_node {
namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

std::string DescriptorsOf(dev_t device) {
  return ReadFile("/sys/dev/char/" + std::to_string(major(device)) + ":" + std::to_string(minor(device)) +
                  "/device/../descriptors");
}

}  // namespace

std::atomic<NodeTable*> NodeTable::loaded_{nullptr};

NodeTable& NodeTable::Instance() {
  static NodeTable* const table = new NodeTable;  // lives until the process ends, as fds may
  loaded_.store(table, std::memory_order_release);
  return *table;
}

NodeTable* NodeTable::Loaded() { return loaded_.load(std::memory_order_acquire); }

NodeTable::NodeTable() {
  const char* const worldPath = std::getenv("FAKE_UVC_WORLD");
  if (worldPath == nullptr) return;
  LiveWorld::Activate(text::Utf8ToUtf16(worldPath));
  world_ = LiveWorld::Active();
  for (size_t i = 0; i < world_->CameraCount(); ++i) {
    const CameraConfig& camera = world_->Camera(i);
    struct stat node {};
    if (stat(camera.devicePath.c_str(), &node) != 0 || !S_ISCHR(node.st_mode)) continue;
    nodes_[node.st_rdev] =
        std::make_unique<UvcNode>(world_->Zel(i), VideoControlExtensionUnits(DescriptorsOf(node.st_rdev)),
                                  NodeFaults::FromWorld(world_->File(), camera.section));
  }
}

UvcNode* NodeTable::ByDevice(dev_t device) {
  const auto found = nodes_.find(device);
  return found == nodes_.end() ? nullptr : found->second.get();
}

void NodeTable::Opened(int fd, UvcNode* node) {
  std::lock_guard<std::mutex> hold(mutex_);
  open_[fd] = node;
}

UvcNode* NodeTable::ByDescriptor(int fd) {
  std::lock_guard<std::mutex> hold(mutex_);
  const auto found = open_.find(fd);
  return found == open_.end() ? nullptr : found->second;
}

void NodeTable::Closed(int fd) {
  std::lock_guard<std::mutex> hold(mutex_);
  open_.erase(fd);
}

}  // namespace sim::linux_node
