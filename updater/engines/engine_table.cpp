// Which engine burns which chip vendor's firmware. Vendors whose engine is not part of this
// build end as a missing vendor library rather than claiming success.
#include <algorithm>
#include <iterator>

#include "engines/engines.h"
#include "update_record.h"
#include "wide_format.h"

namespace ostrel {
namespace {

uint32_t EngineNotBuilt(CVarnelCameraDlg& record) {
  record.platform().DebugOutput(FormatWide(
      u"Ostrel: no update engine for chip vendor %d in this build", {record.m_nChipVendor}));
  g_nExitCode = kOutcomeUpdateFailed;
  record.m_nState = kStateLibraryMissing;
  record.m_nProgress = 100;
  return 0;
}

struct EngineSlot {
  int32_t vendor;
  EngineEntry entry;
};

constexpr EngineSlot kEngines[] = {
    {1, EngineNotBuilt},
    {2, SkipUpdateForR},
    {3, EngineNotBuilt},
    {4, RunZelUpdate},
};

}  // namespace

EngineEntry EngineForVendor(int32_t vendor) {
  const auto slot = std::find_if(std::begin(kEngines), std::end(kEngines),
                                 [vendor](const EngineSlot& s) { return s.vendor == vendor; });
  return slot == std::end(kEngines) ? nullptr : slot->entry;
}

}  // namespace ostrel
