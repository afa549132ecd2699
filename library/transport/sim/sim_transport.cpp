#include "transport/sim/sim_transport.h"

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <vector>

#include "camera/live_world.h"
#include "camera/status_words.h"
#include "transport/platform_transport.h"

namespace tandrel {
namespace {

std::atomic<int> g_liveBindings{0};

class SimBoundCamera : public BoundCamera {
 public:
  SimBoundCamera(std::shared_ptr<sim::LiveWorld> world, size_t index)
      : world_(std::move(world)), index_(index) {
    ++g_liveBindings;
  }
  ~SimBoundCamera() override { --g_liveBindings; }
  ZelDeviceHandle Handle() const override {
    return const_cast<char*>(world_->Camera(index_).devicePath.c_str());
  }

 private:
  std::shared_ptr<sim::LiveWorld> world_;
  size_t index_;
};

class SimVideoInputs : public VideoInputList {
 public:
  explicit SimVideoInputs(std::shared_ptr<sim::LiveWorld> world) : world_(std::move(world)) {}
  size_t Count() const override { return world_->CameraCount(); }
  std::string DisplayName(size_t index) const override {
    return world_->Camera(index).devicePath;
  }
  std::shared_ptr<BoundCamera> Bind(size_t index, uint32_t&) override {
    return std::make_shared<SimBoundCamera>(world_, index);
  }

 private:
  std::shared_ptr<sim::LiveWorld> world_;
};

// The notification as an auto-reset event: raises that come before a wait count once.
class SimAutoUpdateEvent : public AutoUpdateEvent {
 public:
  SimAutoUpdateEvent(std::shared_ptr<sim::LiveWorld> world, sim::ZelCamera* camera)
      : world_(std::move(world)), camera_(camera) {}
  ~SimAutoUpdateEvent() override {
    if (enabled_) camera_->SetAutoUpdateListener({});
  }
  uint32_t Enable() {
    const uint32_t status = camera_->SetAutoUpdateListener([this] { Raise(); });
    enabled_ = status == 0;
    return status;
  }
  bool Wait() override {
    std::unique_lock<std::mutex> hold(mutex_);
    woken_.wait(hold, [this] { return signalled_ || cancelled_; });
    if (cancelled_) return false;
    signalled_ = false;
    return true;
  }
  void Cancel() override {
    {
      std::lock_guard<std::mutex> hold(mutex_);
      cancelled_ = true;
    }
    woken_.notify_all();
  }

 private:
  void Raise() {
    {
      std::lock_guard<std::mutex> hold(mutex_);
      signalled_ = true;
    }
    woken_.notify_all();
  }

  std::shared_ptr<sim::LiveWorld> world_;  // keeps the camera alive
  sim::ZelCamera* camera_;
  bool enabled_ = false;
  std::mutex mutex_;
  std::condition_variable woken_;
  bool signalled_ = false;
  bool cancelled_ = false;
};

class SimControl : public DeviceControl {
 public:
  SimControl(std::shared_ptr<sim::LiveWorld> world, sim::ZelCamera* camera)
      : world_(std::move(world)), camera_(camera) {}

  uint32_t DeviceSpecificNodes(std::vector<uint32_t>& nodes) override {
    if (camera_ == nullptr) return 0;
    const sim::Topology& topology = camera_->Topology();
    for (uint32_t node = 0; node < topology.Nodes().size(); ++node) {
      if (topology.IsDeviceSpecific(node)) nodes.push_back(node);
    }
    return 0;
  }

  // A support query is the driver's to answer from the topology: it never reaches the camera.
  uint32_t Property(const NodeProperty& property, uint8_t* data, uint32_t length,
                    uint32_t& bytesReturned) override {
    bytesReturned = 0;
    if (camera_ == nullptr) return sim::kStatusSetNotFound;
    uint8_t set[16];
    std::memcpy(set, &property.set, sizeof set);
    if (property.flags == kPropertySupportOnNode) {
      return camera_->Topology().OwnsSet(property.nodeId, set) ? sim::kStatusOk
                                                               : sim::kStatusSetNotFound;
    }
    return camera_->Request(set, property.id, property.flags, property.nodeId, data, length,
                            bytesReturned);
  }

  std::unique_ptr<AutoUpdateEvent> EnableAutoUpdate(uint32_t& status) override {
    if (camera_ == nullptr) {
      status = sim::kStatusSetNotFound;
      return nullptr;
    }
    auto event = std::make_unique<SimAutoUpdateEvent>(world_, camera_);
    status = event->Enable();
    if (status != 0) return nullptr;
    return event;
  }

 private:
  std::shared_ptr<sim::LiveWorld> world_;
  sim::ZelCamera* camera_;
};

class SimTransport : public Transport {
 public:
  std::unique_ptr<VideoInputList> ListVideoInputs() override {
    return std::make_unique<SimVideoInputs>(sim::LiveWorld::Active());
  }

  std::shared_ptr<BoundCamera> HoldHandle(ZelDeviceHandle camera) override {
    return std::make_shared<TextCamera>(static_cast<const char*>(camera));
  }

  std::unique_ptr<DeviceControl> OpenControl(const CameraRef& camera, uint32_t& status) override {
    const std::shared_ptr<sim::LiveWorld> world = sim::LiveWorld::Active();
    const char* const path = static_cast<const char*>(camera.handle);
    for (size_t i = 0; i < world->CameraCount(); ++i) {
      if (world->Camera(i).devicePath == path) {
        status = 0;
        return std::make_unique<SimControl>(world, world->Zel(i));
      }
    }
    status = sim::kStatusNoInterface;
    return nullptr;
  }

  void Sleep(uint32_t milliseconds) override { sim::LiveWorld::Active()->Sleep(milliseconds); }
  int64_t WallClockSeconds() override { return sim::LiveWorld::Active()->WallClockSeconds(); }
};

}  // namespace

int SimLiveBindings() { return g_liveBindings.load(); }

Transport& PlatformTransport() {
  static SimTransport* const transport = new SimTransport;
  return *transport;
}

}  // namespace tandrel
