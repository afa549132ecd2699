// Which engine burns which chip vendor's firmware.
#include <algorithm>
#include <iterator>

#include "engines/engines.h"

namespace ostrel {
namespace {

struct EngineSlot {
  int32_t vendor;
  EngineEntry entry;
};

constexpr EngineSlot kEngines[] = {
    {1, RunSunplusUpdate},
    {2, SkipUpdateForR},
    {3, RunSonixUpdate},
    {4, RunZelUpdate},
};

}  // namespace

EngineEntry EngineForVendor(int32_t vendor) {
  const auto slot = std::find_if(std::begin(kEngines), std::end(kEngines),
                                 [vendor](const EngineSlot& s) { return s.vendor == vendor; });
  return slot == std::end(kEngines) ? nullptr : slot->entry;
}

}  // namespace ostrel
