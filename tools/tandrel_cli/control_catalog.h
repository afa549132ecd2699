// Every setting the library exports a Set or Get for, named in kebab case: the one list `get`,
// `set` and `get --all` work from. Where a setting is in the library's control table its value
// layout and ranges come from there; the other exports give theirs by their argument types.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace cli {

constexpr size_t kMostControlValues = 7;

using ControlValues = std::array<uint32_t, kMostControlValues>;

struct Control {
  const char* name;
  const char* family;
  // What set accepts: one largest value per argument (all from 0).
  size_t setCount;
  ControlValues setLargest;
  size_t getCount;
  bool indexed;  // get takes an index (a profile, a stream capability) before any value
  int (*set)(const ControlValues& values);            // null: read-only
  int (*get)(uint32_t index, ControlValues& values);  // null: write-only
};

// The catalog, in the order `get --all` reports.
const Control* ControlsBegin();
const Control* ControlsEnd();
const Control* FindControl(const std::string& name);

}  // namespace cli
