#include "camera/record_port.h"

#include "camera/status_words.h"

namespace sim {

uint32_t RecordPort::Set(const ControlBytes& request) {
  if (!writable_) return kStatusInvalidParameter;
  bytes_ = request;
  return kStatusOk;
}

uint32_t RecordPort::Get(ControlBytes& reply) {
  reply = bytes_;
  return kStatusOk;
}

}  // namespace sim
