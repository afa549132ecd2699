#include "transport/v4l2/usb_descriptors.h"

#include <gtest/gtest.h>

#include "uvc_descriptor_bytes.h"

namespace tandrel {
namespace {

const std::string kUnits =
    ExtensionUnit(4, kExtensionUnitSets[1]) + ExtensionUnit(3, kExtensionUnitSets[0]);

TEST(UsbDescriptorsTest, FindsEachUnitByItsGuidInTheVideoControlInterface) {
  const std::string descriptors =
      kDeviceDescriptor + Configuration(1, kVideoControlInterface + kUnits);
  EXPECT_EQ(FindExtensionUnitId(descriptors, kExtensionUnitSets[0], 1), std::optional<uint8_t>(3));
  EXPECT_EQ(FindExtensionUnitId(descriptors, kExtensionUnitSets[1], 1), std::optional<uint8_t>(4));
}

TEST(UsbDescriptorsTest, OnlyTheVideoControlInterfaceOfTheActiveConfigurationCounts) {
  // An audio unit of the same subtype carrying the GUID's bytes, listed before the camera's.
  const std::string audioFirst =
      Configuration(1, kAudioControlInterface + ExtensionUnit(9, kExtensionUnitSets[0]) +
                           kVideoControlInterface + kUnits);
  const std::string twoConfigurations =
      Configuration(1, kVideoControlInterface + ExtensionUnit(7, kExtensionUnitSets[0])) +
      Configuration(2, kVideoControlInterface + kUnits);
  const std::string outsideAnyInterface =
      Configuration(1, ExtensionUnit(5, kExtensionUnitSets[0]) + kVideoControlInterface + kUnits);
  const struct {
    const char* name;
    std::string descriptors;
    std::optional<uint8_t> active;
    std::optional<uint8_t> unit;
  } cases[] = {
      {"audio unit first", kDeviceDescriptor + audioFirst, 1, 3},
      {"second configuration active", kDeviceDescriptor + twoConfigurations, 2, 3},
      {"first configuration active", kDeviceDescriptor + twoConfigurations, 1, 7},
      {"active one unknown: the first", kDeviceDescriptor + twoConfigurations, std::nullopt, 7},
      {"no configuration active", kDeviceDescriptor + twoConfigurations, 3, std::nullopt},
      {"before any interface", kDeviceDescriptor + outsideAnyInterface, 1, 3},
      {"no configuration at all", kVideoControlInterface + kUnits, 1, std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FindExtensionUnitId(c.descriptors, kExtensionUnitSets[0], c.active), c.unit) << c.name;
  }
}

TEST(UsbDescriptorsTest, MissingUnitOrMalformedDescriptorsFindNothing) {
  const auto find = [](const std::string& body) {
    return FindExtensionUnitId(kDeviceDescriptor + Configuration(1, body), kExtensionUnitSets[0], 1);
  };
  EXPECT_EQ(find(kVideoControlInterface), std::nullopt);
  EXPECT_EQ(FindExtensionUnitId("", kExtensionUnitSets[0], 1), std::nullopt);
  // A length running past the end, and a zero length, stop the walk.
  std::string truncated = ExtensionUnit(3, kExtensionUnitSets[0]);
  truncated.resize(20);
  EXPECT_EQ(find(kVideoControlInterface + truncated), std::nullopt);
  EXPECT_EQ(find(kVideoControlInterface + std::string(30, '\0') + kUnits), std::nullopt);
  // A short class-specific descriptor is not read as a unit.
  std::string shortUnit = ExtensionUnit(3, kExtensionUnitSets[0]).substr(0, 10);
  shortUnit[0] = 10;
  EXPECT_EQ(find(kVideoControlInterface + shortUnit), std::nullopt);
}

}  // namespace
}  // namespace tandrel
