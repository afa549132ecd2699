#include "camera/group_port.h"

#include <algorithm>

#include "camera/status_words.h"

namespace sim {
namespace {

constexpr uint8_t kWrite = 0;
constexpr uint8_t kReadRequest = 1;
constexpr uint8_t kCapabilityGroup = 0;
constexpr uint8_t kStreamFormatGroup = 2;
constexpr uint8_t kFrameSizeGroup = 3;
constexpr uint8_t kCroppedImageGroup = 8;
constexpr uint8_t kFormatVersion = 3;
constexpr uint8_t kCountMarker = 1;
constexpr uint8_t kCapabilityMarker = 2;

}  // namespace

bool GroupPort::Serves(uint8_t group, uint8_t direction) const {
  return group < groups_ && (direction == kWrite || direction == kReadRequest);
}

bool GroupPort::Answer(const ControlBytes&, ControlBytes&) const { return false; }

uint32_t GroupPort::Set(const ControlBytes& request) {
  const uint8_t group = request[0];
  const uint8_t direction = request[1];
  if (!Serves(group, direction)) return kStatusInvalidParameter;
  if (Answer(request, answer_)) return kStatusOk;
  if (direction == kWrite) {
    values_[group] = request;
    return kStatusOk;
  }
  const auto stored = values_.find(group);
  answer_ = stored != values_.end() ? stored->second : ControlBytes{};
  answer_[0] = group;
  answer_[1] = kReadRequest;
  return kStatusOk;
}

uint32_t GroupPort::Get(ControlBytes& reply) {
  reply = answer_;
  return kStatusOk;
}

std::vector<std::array<uint8_t, 14>> DeviceSettingsPort::DefaultCapabilities() {
  // Width, height, maximum and minimum bit rate, frame rate, stream type.
  const uint32_t streams[][6] = {{1920, 1080, 8000000, 256000, 30, 1},
                                 {1280, 720, 4000000, 256000, 30, 1}};
  std::vector<std::array<uint8_t, 14>> capabilities;
  for (const auto& stream : streams) {
    std::array<uint8_t, 14> caps{};
    StoreLe(&caps[0], stream[0], 2);
    StoreLe(&caps[2], stream[1], 2);
    StoreLe(&caps[4], stream[2], 4);
    StoreLe(&caps[8], stream[3], 4);
    caps[12] = static_cast<uint8_t>(stream[4]);
    caps[13] = static_cast<uint8_t>(stream[5]);
    capabilities.push_back(caps);
  }
  return capabilities;
}

bool DeviceSettingsPort::Serves(uint8_t group, uint8_t direction) const {
  if (group == kCapabilityGroup) return true;  // byte 1 selects the query
  if ((group == kStreamFormatGroup || group == kFrameSizeGroup) &&
      encoder_.Version() < kFormatVersion) {
    return false;
  }
  if (group == kCroppedImageGroup && direction != kWrite) return false;
  return GroupPort::Serves(group, direction);
}

bool DeviceSettingsPort::Answer(const ControlBytes& request, ControlBytes& answer) const {
  if (request[0] != kCapabilityGroup) return false;
  answer.fill(0);
  answer[1] = request[1];
  if (request[1] == 0) {
    answer[2] = kCountMarker;
    answer[3] = static_cast<uint8_t>(capabilities_.size());
  } else if (request[1] - 1u < capabilities_.size()) {
    answer[2] = kCapabilityMarker;
    const auto& caps = capabilities_[request[1] - 1u];
    std::copy(caps.begin(), caps.end(), answer.begin() + 3);
  }
  return true;
}

}  // namespace sim
