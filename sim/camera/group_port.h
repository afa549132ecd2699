// Selectors 5, 6 and 7 of extension unit 0: settings addressed by group (byte 0) and direction
// (byte 1: 0 write, 1 read request). A read request makes the next read answer the group's
// values in the request layout. Selector 5 adds the encoder capability queries of group 0,
// the format groups that need encoder record version 3, and the write-only group 8.
#pragma once

#include <map>
#include <vector>

#include "camera/control_port.h"
#include "camera/encoder_port.h"

namespace sim {

class GroupPort : public ControlPort {
 public:
  explicit GroupPort(uint8_t groups) : groups_(groups) {}
  uint32_t Set(const ControlBytes& request) override;
  uint32_t Get(ControlBytes& reply) override;

 protected:
  // Whether the firmware serves this group and direction at all.
  virtual bool Serves(uint8_t group, uint8_t direction) const;
  // The answer to a read request other than a stored group's; false when there is none.
  virtual bool Answer(const ControlBytes& request, ControlBytes& answer) const;

 private:
  uint8_t groups_;
  std::map<uint8_t, ControlBytes> values_;
  ControlBytes answer_{};
};

class DeviceSettingsPort : public GroupPort {
 public:
  // capabilities: 14 bytes each, in the reply layout (bytes 3-16).
  DeviceSettingsPort(const EncoderPort& encoder, std::vector<std::array<uint8_t, 14>> capabilities)
      : GroupPort(9), encoder_(encoder), capabilities_(std::move(capabilities)) {}

  static std::vector<std::array<uint8_t, 14>> DefaultCapabilities();

 protected:
  bool Serves(uint8_t group, uint8_t direction) const override;
  bool Answer(const ControlBytes& request, ControlBytes& answer) const override;

 private:
  const EncoderPort& encoder_;
  std::vector<std::array<uint8_t, 14>> capabilities_;
};

}  // namespace sim
