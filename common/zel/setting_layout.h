// Where the values of each regular setting of a ZEL camera sit in its payload and how large
// they may be: plain data, so that the command-line tool checks the same ranges the library
// does.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace zel {

// One value of a setting: its bytes in the payload (little-endian) and the largest argument
// the library accepts for it, checked once the device is open.
struct ValueField {
  uint8_t offset;
  uint8_t width;  // 0 ends a setting's list of values
  uint32_t largest = UINT32_MAX;
};

constexpr size_t kMostValues = 5;

// A setting of a group-and-direction control (byte 0 group, byte 1 0 = set / 1 = get request,
// values from byte 2 on, replies in the same layout).
struct GroupSetting {
  uint8_t selector;
  uint8_t group;
  std::array<ValueField, kMostValues> values;
  // Format groups build their payload over the encoder record, which must be of version 3
  // or more; a getter then reports unsupportedDefault.
  bool formatProbe = false;
  uint8_t unsupportedDefault = 0;
};

// A value control of extension unit 1: the value itself from byte 0, plain reads.
struct UnitValue {
  uint8_t selector;
  uint8_t width;
};

}  // namespace zel
