#include "camera/request_faults.h"

#include <algorithm>

#include "camera/status_words.h"
#include "text/utf16.h"

namespace sim {
namespace {

// Controls the fault keys are looked up for: both units, selectors 0 to 15.
constexpr int kUnits = 2;
constexpr uint32_t kSelectors = 16;

std::u16string ControlKey(const char* prefix, int unit, uint32_t selector) {
  return text::Utf8ToUtf16(std::string(prefix) + std::to_string(unit) + "." +
                           std::to_string(selector));
}

}  // namespace

int64_t WorldNumber(const WorldFile& world, const std::u16string& section,
                    const std::u16string& key, int64_t fallback) {
  return world.GetNumber(section, key).value_or(fallback);
}

std::optional<ControlBytes> WorldBytes(const WorldFile& world, const std::u16string& section,
                                       const std::u16string& key) {
  const std::optional<std::vector<uint8_t>> bytes = world.GetBytes(section, key);
  if (!bytes || bytes->empty()) return std::nullopt;
  ControlBytes control{};
  std::copy_n(bytes->begin(), std::min(bytes->size(), control.size()), control.begin());
  return control;
}

std::map<RequestFaults::Control, int64_t> ControlNumbers(const WorldFile& world,
                                                       const std::u16string& section,
                                                       const char* prefix) {
  std::map<RequestFaults::Control, int64_t> numbers;
  for (int unit = 0; unit < kUnits; ++unit) {
    for (uint32_t selector = 0; selector < kSelectors; ++selector) {
      if (auto number = world.GetNumber(section, ControlKey(prefix, unit, selector))) {
        numbers[{unit, selector}] = *number;
      }
    }
  }
  return numbers;
}

RequestFaults RequestFaults::FromWorld(const WorldFile& world, const std::u16string& section) {
  RequestFaults faults;
  faults.busyProbes = std::max<int64_t>(0, WorldNumber(world, section, u"BusyProbes", 0));
  faults.unplugAfter =
      static_cast<uint64_t>(std::max<int64_t>(0, WorldNumber(world, section, u"UnplugAfter", 0)));
  // Another status than the unplug's own lets a sweep fail the transfer with it from any
  // request on.
  faults.unplugStatus = static_cast<uint32_t>(
      WorldNumber(world, section, u"UnplugStatus", kStatusDisconnected));
  faults.stallAfter =
      static_cast<uint64_t>(std::max<int64_t>(0, WorldNumber(world, section, u"StallAfter", 0)));
  faults.failRequest =
      static_cast<uint64_t>(std::max<int64_t>(0, WorldNumber(world, section, u"FailRequest", 0)));
  faults.failRequestStatus = static_cast<uint32_t>(
      WorldNumber(world, section, u"FailRequestStatus", kStatusGeneralFailure));
  faults.failRequestRaises = WorldNumber(world, section, u"FailRequestAccessViolation", 0) == 1;
  for (auto& [control, status] : ControlNumbers(world, section, "Fail")) {
    faults.fail[control] = static_cast<uint32_t>(status);
  }
  for (auto& [control, status] : ControlNumbers(world, section, "FailSet")) {
    faults.failSet[control] = static_cast<uint32_t>(status);
  }
  for (auto& [control, status] : ControlNumbers(world, section, "FailGet")) {
    faults.failGet[control] = static_cast<uint32_t>(status);
  }
  for (int unit = 0; unit < kUnits; ++unit) {
    for (uint32_t selector = 0; selector < kSelectors; ++selector) {
      if (auto reply = WorldBytes(world, section, ControlKey("Reply", unit, selector))) {
        faults.replies[{unit, selector}] = *reply;
      }
    }
  }
  return faults;
}

}  // namespace sim
