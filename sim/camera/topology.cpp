#include "camera/topology.h"

#include <cstring>
#include <sstream>

#include "text/utf16.h"

namespace sim {

const uint8_t kZelUnitSets[2][16] = {
    {0x28, 0x17, 0x9E, 0x5D, 0x8D, 0xAB, 0xA9, 0x4F, 0x9A, 0xCB, 0xF6, 0xD5, 0x6D, 0xBC, 0x05, 0xA6},
    {0xC3, 0x85, 0xB8, 0x0F, 0xC2, 0x68, 0x47, 0x45, 0x90, 0xF7, 0x8F, 0x47, 0x57, 0x9D, 0x95, 0xFC},
};
// An extension unit of another vendor's, here {4C5E1A2B-7D3F-4E8A-9B61-0F2C8D3E5A71}.
const uint8_t kOtherUnitSet[16] = {0x2B, 0x1A, 0x5E, 0x4C, 0x3F, 0x7D, 0x8A, 0x4E,
                                   0x9B, 0x61, 0x0F, 0x2C, 0x8D, 0x3E, 0x5A, 0x71};

namespace {

struct KindName {
  const char* name;
  NodeKind kind;
};
constexpr KindName kKindNames[] = {
    {"terminal", NodeKind::kCameraTerminal}, {"processing", NodeKind::kProcessing},
    {"selector", NodeKind::kSelector},       {"unit0", NodeKind::kUnit0},
    {"unit1", NodeKind::kUnit1},             {"other", NodeKind::kOtherUnit},
    {"streaming", NodeKind::kStreaming},
};

std::optional<std::vector<NodeKind>> ParseKinds(const std::string& text) {
  std::istringstream words(text);
  std::vector<NodeKind> nodes;
  std::string word;
  while (words >> word) {
    if (word[0] == ';') break;  // a comment
    const KindName* known = nullptr;
    for (const KindName& entry : kKindNames) {
      if (word == entry.name) known = &entry;
    }
    if (known == nullptr) return std::nullopt;
    nodes.push_back(known->kind);
  }
  return nodes;
}

}  // namespace

int ZelUnitOf(const uint8_t (&propertySet)[16]) {
  for (int unit = 0; unit < 2; ++unit) {
    if (std::memcmp(propertySet, kZelUnitSets[unit], 16) == 0) return unit;
  }
  return -1;
}

Topology Topology::FromWorld(const WorldFile& world, const std::u16string& section,
                             bool hasExtensionUnit) {
  using K = NodeKind;
  // A camera without the units has none, whatever topology is given.
  if (!hasExtensionUnit) return Topology({K::kCameraTerminal, K::kProcessing, K::kStreaming});
  const std::u16string value = world.GetString(section, u"Topology");
  if (!value.empty()) {
    if (std::optional<std::vector<NodeKind>> nodes = ParseKinds(text::Utf16ToUtf8(value))) {
      return Topology(std::move(*nodes));
    }
    world.ReportBadValue(section, u"Topology");
  }
  return Topology({K::kCameraTerminal, K::kProcessing, K::kSelector, K::kUnit0, K::kUnit1,
                   K::kStreaming});
}

std::optional<uint32_t> Topology::NodeOfUnit(int unit) const {
  const NodeKind wanted = unit == 0 ? NodeKind::kUnit0 : NodeKind::kUnit1;
  for (uint32_t node = 0; node < nodes_.size(); ++node) {
    if (nodes_[node] == wanted) return node;
  }
  return std::nullopt;
}

bool Topology::IsDeviceSpecific(uint32_t node) const {
  if (node >= nodes_.size()) return false;
  const NodeKind kind = nodes_[node];
  return kind == NodeKind::kUnit0 || kind == NodeKind::kUnit1 || kind == NodeKind::kOtherUnit;
}

bool Topology::OwnsSet(uint32_t node, const uint8_t (&propertySet)[16]) const {
  if (node >= nodes_.size()) return false;
  switch (nodes_[node]) {
    case NodeKind::kUnit0: return ZelUnitOf(propertySet) == 0;
    case NodeKind::kUnit1: return ZelUnitOf(propertySet) == 1;
    case NodeKind::kOtherUnit: return std::memcmp(propertySet, kOtherUnitSet, 16) == 0;
    default: return false;
  }
}

}  // namespace sim
