#include "transport/v4l2/usb_descriptors.h"

#include <gtest/gtest.h>

#include "uvc_descriptor_bytes.h"

namespace tandrel {
namespace {

TEST(UsbDescriptorsTest, FindsEachUnitByItsGuid) {
  const std::string descriptors = kVideoControlInterface +
                                  ExtensionUnit(4, kExtensionUnitSets[1]) +
                                  ExtensionUnit(3, kExtensionUnitSets[0]);
  EXPECT_EQ(FindExtensionUnitId(descriptors, kExtensionUnitSets[0]), std::optional<uint8_t>(3));
  EXPECT_EQ(FindExtensionUnitId(descriptors, kExtensionUnitSets[1]), std::optional<uint8_t>(4));
}

TEST(UsbDescriptorsTest, MissingUnitOrMalformedDescriptorsFindNothing) {
  EXPECT_EQ(FindExtensionUnitId(kVideoControlInterface, kExtensionUnitSets[0]), std::nullopt);
  EXPECT_EQ(FindExtensionUnitId("", kExtensionUnitSets[0]), std::nullopt);
  // A length running past the end, and a zero length, stop the walk.
  std::string truncated = ExtensionUnit(3, kExtensionUnitSets[0]);
  truncated.resize(20);
  EXPECT_EQ(FindExtensionUnitId(truncated, kExtensionUnitSets[0]), std::nullopt);
  EXPECT_EQ(FindExtensionUnitId(std::string(30, '\0'), kExtensionUnitSets[0]), std::nullopt);
  // A short class-specific descriptor is not read as a unit.
  std::string shortUnit = ExtensionUnit(3, kExtensionUnitSets[0]).substr(0, 10);
  shortUnit[0] = 10;
  EXPECT_EQ(FindExtensionUnitId(shortUnit, kExtensionUnitSets[0]), std::nullopt);
}

}  // namespace
}  // namespace tandrel
