#include "platform/sim/setup_entries.h"

#include <optional>

#include "platform/sim/reported_hardware_id.h"
#include "text/utf16.h"

namespace ostrel::sim_platform {
namespace {

std::vector<std::u16string> BlankSeparated(const std::u16string& list) {
  std::vector<std::u16string> words;
  size_t start = 0;
  while ((start = list.find_first_not_of(u" \t", start)) != std::u16string::npos) {
    const size_t end = list.find_first_of(u" \t", start);
    words.push_back(list.substr(start, end - start));
    start = end;
  }
  return words;
}

std::optional<SetupClass> ParseClass(const std::u16string& name) {
  std::u16string upper = name;
  for (char16_t& c : upper) c = text::ToUpperAscii(c);
  if (upper == u"CAMERA") return SetupClass::kCamera;
  if (upper == u"IMAGE") return SetupClass::kImage;
  return std::nullopt;
}

SetupClass ClassOf(const sim::WorldFile& world, const std::u16string& section) {
  for (const std::u16string& where : {section, std::u16string(u"World")}) {
    const std::u16string name = world.GetString(where, u"SetupClass");
    if (name.empty()) continue;
    if (const std::optional<SetupClass> known = ParseClass(name)) return *known;
    world.ReportBadValue(where, u"SetupClass");
  }
  return SetupClass::kCamera;
}

SetupEntry EntryOf(const sim::WorldFile& world, const std::u16string& section,
                   std::u16string instanceId, std::u16string firstHardwareId) {
  SetupEntry entry{ClassOf(world, section), std::move(instanceId), {}};
  if (world.GetNumber(section, u"NoHardwareIds") == 1) return entry;
  entry.hardwareIds.push_back(std::move(firstHardwareId));
  for (std::u16string& more : BlankSeparated(world.GetString(section, u"HardwareIds"))) {
    entry.hardwareIds.push_back(std::move(more));
  }
  return entry;
}

}  // namespace

std::vector<SetupEntry> SetupEntries(const sim::WorldFile& world) {
  std::vector<SetupEntry> entries;
  for (int n = 1;; ++n) {
    const std::u16string section = u"Device" + text::Utf8ToUtf16(std::to_string(n));
    const std::u16string instanceId = world.GetString(section, u"InstanceId");
    if (instanceId.empty()) break;
    entries.push_back(EntryOf(world, section, instanceId, world.GetString(section, u"HardwareId")));
  }
  for (const sim::CameraConfig& camera : world.Cameras()) {
    if (camera.instanceId.empty()) continue;
    entries.push_back(EntryOf(world, camera.section, camera.instanceId, ReportedHardwareId(camera)));
  }
  return entries;
}

}  // namespace ostrel::sim_platform
