// The topology a camera's driver reports: its nodes in order, each of one kind. The two ZEL
// extension units are device-specific nodes whose property sets are the units' GUIDs; webcams
// carry other extension units too (H.264, vendor tuning), and no order of the nodes is promised.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "world/world_file.h"

namespace sim {

enum class NodeKind { kCameraTerminal, kProcessing, kSelector, kUnit0, kUnit1, kOtherUnit, kStreaming };

class Topology {
 public:
  // The world's Topology key (node kinds separated by blanks: terminal, processing, selector,
  // unit0, unit1, other, streaming), or a UVC camera's usual one: the ZEL units after the
  // selector; a camera without the units has no extension unit, whatever the key says.
  static Topology FromWorld(const WorldFile& world, const std::u16string& section,
                            bool hasExtensionUnit);
  static Topology Of(std::vector<NodeKind> nodes) { return Topology(std::move(nodes)); }

  const std::vector<NodeKind>& Nodes() const { return nodes_; }
  // The node of ZEL extension unit 0 or 1; nothing when the camera lacks it.
  std::optional<uint32_t> NodeOfUnit(int unit) const;
  // Whether the node is an extension unit, whatever its property set.
  bool IsDeviceSpecific(uint32_t node) const;
  // The answer of a support query: whether the node owns the property set (GUID in memory
  // layout).
  bool OwnsSet(uint32_t node, const uint8_t (&propertySet)[16]) const;

 private:
  explicit Topology(std::vector<NodeKind> nodes) : nodes_(std::move(nodes)) {}
  std::vector<NodeKind> nodes_;
};

// The property sets of ZEL extension units 0 and 1, and of the other unit kind, in memory
// layout; -1 for any other set.
int ZelUnitOf(const uint8_t (&propertySet)[16]);
extern const uint8_t kZelUnitSets[2][16];
extern const uint8_t kOtherUnitSet[16];

}  // namespace sim
