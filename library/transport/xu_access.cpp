#include "transport/xu_access.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "transport/camera_name.h"
#include "transport/xu_status.h"

namespace tandrel {
namespace {

constexpr int kMaxProbeRepeats = 10;
constexpr uint32_t kRetryPauseMs = 100;
constexpr uint32_t kEnumerationEnded = 1;
constexpr uint32_t kNoExtensionNode = 1;
constexpr char kNoDeviceId[] = "No ZEL device found";

void SetDeviceId(char (&target)[20], const std::string& id) {
  std::memset(target, 0, sizeof target);
  std::memcpy(target, id.data(), std::min(id.size(), sizeof target - 1));
}

}  // namespace

XuAccess::XuAccess() = default;

XuAccess::~XuAccess() { Close(); }

bool XuAccess::Open(const CameraRef& camera) {
  if (camera.handle != nullptr) {
    m_camera = camera;
    m_bOwnsFilter = false;
  } else {
    m_bOwnsFilter = true;
    m_hrLast = FindCamera();
    if (m_hrLast != 0) return false;
  }
  if (m_camera.handle == nullptr) return false;
  try {
    m_pControl = PlatformTransport().OpenControl(m_camera, m_hrLast);
    if (!m_pControl) return false;
    m_hrLast = FindExtensionNode();
    return m_hrLast == 0;
  } catch (...) {
    return false;
  }
}

uint32_t XuAccess::FindExtensionNode() {
  std::vector<uint32_t> nodes;
  const uint32_t status = m_pControl->DeviceSpecificNodes(nodes);
  if (status != 0) return status;
  if (nodes.empty()) return kNoExtensionNode;
  // Each node is asked at most once for each unit, and a node that owns unit 0's set never for
  // unit 1's. Unit 1 is looked for first where cameras usually put it, right after unit 0.
  bool driverAnswers = true;
  std::optional<uint32_t> owner[2];
  owner[0] = OwnerOfSet(nodes, 0, driverAnswers);
  if (driverAnswers) {
    std::vector<uint32_t> candidates = nodes;
    if (owner[0]) {
      candidates.erase(std::find(candidates.begin(), candidates.end(), *owner[0]));
      const auto next = std::find(candidates.begin(), candidates.end(), *owner[0] + 1);
      if (next != candidates.end()) std::rotate(candidates.begin(), next, next + 1);
    }
    owner[1] = OwnerOfSet(candidates, 1, driverAnswers);
  }
  m_nNodeId = owner[0].value_or(nodes.front());
  m_nUnit1NodeId = owner[1].value_or(m_nNodeId + 1);
  return 0;
}

std::optional<uint32_t> XuAccess::OwnerOfSet(const std::vector<uint32_t>& candidates,
                                             uint32_t unit, bool& driverAnswers) {
  for (const uint32_t node : candidates) {
    NodeProperty query{};
    query.set = kExtensionUnitSets[unit & 1];
    query.flags = kPropertySupportOnNode;
    query.nodeId = node;
    uint32_t returned = 0;
    const uint32_t answer = m_pControl->Property(query, nullptr, 0, returned);
    if (answer == 0) return node;
    // A driver that takes no support queries answers none of them: asking on is no use.
    if (Win32Error(answer) == kErrorNotSupported) {
      driverAnswers = false;
      return std::nullopt;
    }
  }
  return std::nullopt;
}

void XuAccess::Close() {
  m_pControl.reset();
  if (m_bOwnsFilter) {
    m_camera = CameraRef{};
    ReleaseCallingThread();
  }
}

uint32_t XuAccess::FindCamera() {
  SetDeviceId(m_szDeviceId, kNoDeviceId);
  m_camera = CameraRef{};
  ReleaseCallingThread();
  m_bThreadPrepared = PlatformTransport().PrepareCallingThread();
  m_preparedThread = std::this_thread::get_id();
  const uint32_t status = BindFirstSupported();
  // Nothing found leaves Close nothing to release: the thread is let go here.
  if (status != 0) ReleaseCallingThread();
  return status;
}

void XuAccess::ReleaseCallingThread() {
  // Only the thread that was prepared can be released; an auto-update registration may end
  // on another thread, and then leaves its own as it is.
  if (m_bThreadPrepared && std::this_thread::get_id() == m_preparedThread) {
    PlatformTransport().ReleaseCallingThread();
  }
  m_bThreadPrepared = false;
}

uint32_t XuAccess::BindFirstSupported() {
  try {
    const std::unique_ptr<VideoInputList> devices = PlatformTransport().ListVideoInputs();
    if (!devices) return kEnumerationEnded;
    for (size_t i = 0; i < devices->Count(); ++i) {
      const std::string name = ConvertedDisplayName(devices->DisplayName(i));
      if (!IsSupportedCamera(name)) continue;
      uint32_t status = 0;
      std::shared_ptr<BoundCamera> found = devices->Bind(i, status);
      if (!found) return status != 0 ? status : kEnumerationEnded;
      m_camera = CameraRef{found->Handle(), std::move(found)};
      SetDeviceId(m_szDeviceId, DeviceIdOf(name));
      return 0;
    }
  } catch (...) {
  }
  return kEnumerationEnded;
}

std::shared_ptr<BoundCamera> XuAccess::TakeFoundCamera() {
  m_bOwnsFilter = false;
  // The camera is used by later calls: the thread stays prepared for it.
  m_bThreadPrepared = false;
  return m_camera.reference;
}

NodeProperty XuAccess::Property(uint32_t selector, uint32_t flags) const {
  NodeProperty property{};
  property.set = kExtensionUnitSets[m_nUnit & 1];
  property.id = selector;
  property.flags = flags;
  property.nodeId = m_nUnit == 0 ? m_nNodeId : m_nUnit1NodeId;
  return property;
}

uint32_t XuAccess::Probe(uint32_t selector, bool retryOnGeneralFailure, uint32_t& length) {
  const NodeProperty probe = Property(selector, kPropertyGetOnNode);
  length = 0;
  m_hrLast = m_pControl->Property(probe, nullptr, 0, length);
  for (int repeat = 0; repeat < kMaxProbeRepeats; ++repeat) {
    const uint32_t error = Win32Error(m_hrLast);
    const bool busy =
        error == kErrorNotReady || (retryOnGeneralFailure && error == kErrorGenFailure);
    if (!busy) break;
    PlatformTransport().Sleep(kRetryPauseMs);
    length = 0;
    m_hrLast = m_pControl->Property(probe, nullptr, 0, length);
  }
  return m_hrLast;
}

bool XuAccess::Exchange(Direction direction, uint32_t selector, uint32_t length, uint8_t* data) {
  if (!m_pControl) return false;
  try {
    uint32_t controlLength = 0;
    const uint32_t status = Probe(selector, false, controlLength);
    if (status != 0 && Win32Error(status) != kErrorMoreData) return false;
    const uint32_t flags = direction == Direction::kSet ? kPropertySetOnNode : kPropertyGetOnNode;
    uint32_t returned = 0;
    m_hrLast = m_pControl->Property(Property(selector, flags), data, length, returned);
    return m_hrLast == 0;
  } catch (...) {
    return false;
  }
}

bool XuAccess::SetControl(uint32_t selector, uint32_t length, const uint8_t* data) {
  // The platform's request takes a mutable buffer for both directions; a set only reads it.
  return Exchange(Direction::kSet, selector, length, const_cast<uint8_t*>(data));
}

bool XuAccess::GetControl(uint32_t selector, uint32_t length, uint8_t* data) {
  return Exchange(Direction::kGet, selector, length, data);
}

bool XuAccess::QueryControlLength(uint32_t selector, uint32_t& length) {
  length = 0;
  if (!m_pControl) return false;
  try {
    uint32_t reported = 0;
    const uint32_t status = Probe(selector, true, reported);
    if (status == 0 || Win32Error(status) == kErrorMoreData) {
      length = reported;
      return true;
    }
  } catch (...) {
  }
  return false;
}

void XuAccess::LoadData(const uint8_t* source) {
  std::memcpy(m_Data, source, std::min<uint32_t>(m_nLength, kPayloadLength));
}

void XuAccess::StoreData(uint8_t* destination) const {
  std::memcpy(destination, m_Data, std::min<uint32_t>(m_nLength, kPayloadLength));
}

bool XuAccess::GetCurrent() { return GetControl(m_nSelector, m_nLength, m_Data); }

std::unique_ptr<AutoUpdateEvent> XuAccess::EnableAutoUpdateEvent() {
  if (!m_pControl) {
    m_hrLast = StatusFromWin32(kErrorDeviceNotConnected);
    return nullptr;
  }
  return m_pControl->EnableAutoUpdate(m_hrLast);
}

}  // namespace tandrel
