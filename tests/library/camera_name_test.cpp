#include "transport/camera_name.h"

#include <gtest/gtest.h>

namespace tandrel {
namespace {

struct NameCase {
  const char* name;
  bool supported;
  const char* deviceId;
  const char* label;
};

class CameraNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(CameraNameTest, SupportIdAndLabel) {
  EXPECT_EQ(IsSupportedCamera(GetParam().name), GetParam().supported);
  EXPECT_EQ(DeviceIdOf(GetParam().name), GetParam().deviceId);
  EXPECT_EQ(DeviceLabelOf(GetParam().name), GetParam().label);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CameraNameTest,
    ::testing::Values(
        NameCase{"@device:pnp:\\\\?\\usb#vid_0408&pid_2040&mi_00#6&2e3f\\global", true,
                 "vid_0408&pid_2040", "vid_0408 pid_2040"},
        NameCase{"\\\\?\\USB#VID_0408&PID_2040&MI_00", true, "VID_0408&PID_2040",
                 "vid_0408 pid_2040"},
        NameCase{"usb#vid_04da&pid_0001", true, "vid_04da&pid_0001", "vid_04da pid_0001"},
        NameCase{"usb#vid_1460&pid_0002", true, "vid_1460&pid_0002", "vid_1460 pid_0002"},
        NameCase{"usb#vid_1234&pid_0002", false, "vid_1234&pid_0002", "vid_1234 pid_0002"},
        // Only the first vid_ counts.
        NameCase{"vid_1234 then vid_0408&pid_1", false, "vid_1234 then vid", "vid_1234 then vid"},
        NameCase{"usb#vid_0408", true, "vid_0408", "vid_0408"},
        NameCase{"usb#vid_04", false, "vid_04", "vid_04"},
        NameCase{"no vendor here", false, "", ""}, NameCase{"", false, "", ""}));

// Names are kept to 255 bytes: a long one is cut, not dropped, so its vendor id still counts
// when it comes early, and not when it lies beyond the cut.
TEST(ConvertedDisplayName, LongNamesAreCutTo255Bytes) {
  const std::string early = "@device:pnp:\\\\?\\usb#vid_0408&pid_2040#" + std::string(300, '7');
  EXPECT_EQ(ConvertedDisplayName(early), early.substr(0, 255));
  EXPECT_TRUE(IsSupportedCamera(ConvertedDisplayName(early)));
  const std::string late = std::string(250, '7') + "usb#vid_0408&pid_2040";
  EXPECT_FALSE(IsSupportedCamera(ConvertedDisplayName(late)));
  EXPECT_EQ(ConvertedDisplayName("short"), "short");
}

}  // namespace
}  // namespace tandrel
