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

TEST(CameraIdentity, ThePieceIsTheFourthAmpersandPieceUpperCased) {
  const struct {
    std::u16string instanceId;
    std::u16string piece;
  } cases[] = {
      {u"USB\\VID_0408&PID_2040&MI_00\\6&2E3F1C7E&0&0000", u"2E3F1C7E"},
      {u"usb\\vid_0408&pid_2040&mi_00\\6&2e3f1c7e&0&0000", u"2E3F1C7E"},
      {u"A&B&C&LAST", u"LAST"},
      {u"A&B&C", u""},
      {u"A&B&C&", u""},
      {u"", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(InstanceIdPiece(c.instanceId), c.piece);
}

TEST(CameraIdentity, LowerCasePathHoldsTheUpperCasePiece) {
  const std::string path =
      "\\\\?\\usb#vid_0408&pid_2040&mi_00#6&2e3f1c7e&0&0000#{65e8773d-8f56-11d0-a3b9-"
      "00a0c9223196}\\global";
  EXPECT_TRUE(DevicePathHoldsPiece(path, u"2E3F1C7E"));
  EXPECT_TRUE(DevicePathHoldsPiece(path, u"2e3f1c7e"));
  EXPECT_FALSE(DevicePathHoldsPiece(path, u"2E3F1C7F"));
  EXPECT_FALSE(DevicePathHoldsPiece(path, u""));
  EXPECT_FALSE(DevicePathHoldsPiece("", u"2E3F1C7E"));
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
