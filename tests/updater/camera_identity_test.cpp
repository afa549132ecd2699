#include "camera_identity.h"

#include <gtest/gtest.h>

namespace ostrel {
namespace {

TEST(CameraIdentity, OnlyUsbOrUpperUsbAtCharactersFourToSixIsAUsbPath) {
  const struct {
    const char* path;
    bool usb;
  } cases[] = {
      {"\\\\?\\usb#vid_0408&pid_2040", true},
      {"\\\\?\\USB#VID_0408&PID_2040", true},
      {"\\\\?\\Usb#vid_0408", false},
      {"\\\\?\\pci#ven_8086", false},
      {"\\\\?\\root#image", false},
      {"\\\\?\\us", false},
      {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsUsbDevicePath(c.path), c.usb) << c.path;
}

// A setup entry belongs to the video device whose path holds its whole instance id; a scanner
// without serial number, whose id ends in "0", belongs to no camera although every camera path
// holds a "0" piece.
TEST(CameraIdentity, APathHoldsItsOwnWholeInstanceIdInAnyCase) {
  const std::string path =
      "\\\\?\\usb#vid_0408&pid_2040&mi_00#6&2e3f1c7e&0&0000#{65e8773d-8f56-11d0-a3b9-"
      "00a0c9223196}\\global";
  const struct {
    std::u16string instanceId;
    bool holds;
  } cases[] = {
      {u"USB\\VID_0408&PID_2040&MI_00\\6&2E3F1C7E&0&0000", true},
      {u"usb\\vid_0408&pid_2040&mi_00\\6&2e3f1c7e&0&0000", true},
      {u"USB\\VID_0408&PID_2040&MI_00\\6&2E3F1C7F&0&0000", false},  // another port
      {u"USB\\VID_0408&PID_2040\\5&1A2B3C4D&0&2", false},  // the camera's parent device
      {u"USB\\VID_03F0&PID_4105\\5&1A2B3C4D&0&2", false},  // a scanner: its 4th piece is 0
      {u"USB\\VID_0408&PID_2040&MI_00/6&2E3F1C7E&0&0000", false},
      {u"", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DevicePathHoldsInstanceId(path, c.instanceId), c.holds);
  }
  EXPECT_FALSE(DevicePathHoldsInstanceId("", u"USB\\VID_0408&PID_2040&MI_00\\6&2E3F1C7E&0&0000"));
}

TEST(CameraIdentity, HardwareIdFieldsAreReadAtTheirFixedPlaces) {
  const struct {
    std::u16string hardwareId;
    uint16_t vid, pid, bcd;
  } cases[] = {
      {u"USB\\VID_04FC&PID_2080&REV_0100", 0x04FC, 0x2080, 0x0100},
      {u"USB\\VID_0408&PID_2040&REV_0105&MI_00", 0x0408, 0x2040, 0x0105},
      {u"USB\\VID_04XC&PID_2080&REV_0100", 0xFFFF, 0x2080, 0x0100},
      {u"USB\\VID_0408&PID_2040", 0x0408, 0x2040, 0x0000},
      {u"USB\\VID_0408&PID_20", 0x0408, 0x2000, 0x0000},
      {u"", 0, 0, 0},
  };
  for (const auto& c : cases) {
    const CameraIdentity id = ParseHardwareId(c.hardwareId);
    EXPECT_EQ(id.vid, c.vid);
    EXPECT_EQ(id.pid, c.pid);
    EXPECT_EQ(id.bcd, c.bcd);
  }
}

TEST(CameraIdentity, BootRomTable) {
  const struct {
    CameraIdentity id;
    bool rom;
  } cases[] = {
      {{0x04FC, 0x2080, 0x0100}, true},  {{0x04FC, 0x2080, 0x0101}, false},
      {{0x1BCF, 0x2082, 0x0100}, true},  {{0x1BCF, 0x2082, 0x0200}, false},
      {{0x1BCF, 0x0B01, 0x0100}, true},  {{0x0C45, 0x6362, 0x0000}, true},
      {{0x0C45, 0x6362, 0x9999}, true},  {{0x0BDA, 0x5821, 0x1234}, true},
      {{0x0BDA, 0x5822, 0x0100}, false}, {{0x0408, 0x2040, 0x0100}, false},
      {{0, 0, 0}, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsBootRomIdentity(c.id), c.rom) << std::hex << c.id.vid << " " << c.id.pid;
  }
}

}  // namespace
}  // namespace ostrel
