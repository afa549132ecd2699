#include "camera/control_port.h"

namespace sim {

uint32_t LoadLe(const uint8_t* bytes, size_t width) {
  uint32_t value = 0;
  for (size_t i = 0; i < width; ++i) value |= static_cast<uint32_t>(bytes[i]) << (8 * i);
  return value;
}

void StoreLe(uint8_t* bytes, uint32_t value, size_t width) {
  for (size_t i = 0; i < width; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace sim
