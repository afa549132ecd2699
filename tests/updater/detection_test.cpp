#include <gtest/gtest.h>

#include <cstdio>

#include "updater_fixture.h"

namespace ostrel {
namespace {

using testing::LogOf;
using testing::UsbCamera;

class DetectionTest : public testing::UpdaterTest {
 protected:
  void SetUp() override {
    UpdaterTest::SetUp();
    WritePidIni({"[PID_2040]", "CHIP=4", "BIN=fw.bin"});
  }
};

TEST_F(DetectionTest, SilentRunWithUnlistedCameraLogsPidNotMatch) {
  AddCamera(UsbCamera(0x0408, 0x1111, 0x0100, "2e3f1c7e"));
  InitSilent();
  EXPECT_EQ(g_nExitCode, kOutcomeNoFirmware);
  EXPECT_EQ(record.m_bFinished, 1);
  EXPECT_EQ(g_bReadyToUpdate, 0);
  EXPECT_EQ(Log(), LogOf({u"PID not match\r\n"}));
}

TEST_F(DetectionTest, WindowedRunShowsPidNotMatchWithoutALogLine) {
  AddCamera(UsbCamera(0x0408, 0x1111, 0x0100, "2e3f1c7e"));
  InitWindowed();
  EXPECT_EQ(g_nExitCode, kOutcomeNoFirmware);
  EXPECT_EQ(NewViewLines(), std::vector<std::string>{"TEXT 1005 PID not match"});
  EXPECT_EQ(Log(), LogOf({}));
}

TEST_F(DetectionTest, ListedCameraIsShownLoggedAndArmed) {
  AddCamera(UsbCamera(0x0408, 0x2040, 0x0105, "2e3f1c7e"));
  InitWindowed();
  EXPECT_EQ(g_nExitCode, kOutcomeSuccess);
  EXPECT_EQ(g_bReadyToUpdate, 1);
  EXPECT_EQ(record.m_nPidIndex, 0);
  EXPECT_EQ(record.m_bFinished, 0);
  EXPECT_EQ(NewViewLines(), (std::vector<std::string>{"TEXT 1001 0408", "TEXT 1002 2040",
                                                      "TEXT 1007 0105 ->", "TIMER 2457 500"}));
  EXPECT_EQ(Log(), LogOf({u"Camera vid=0x0408, pid=0x2040, bcd=0x0105.\r\n",
                          u"The camera vid/pid is ok, ready for update.\r\n"}));
}

TEST_F(DetectionTest, TheSecondOfTwoDevicesIsChosenWhenOnlyItIsListed) {
  AddCamera(UsbCamera(0x0408, 0x1111, 0x0100, "11111111"));
  AddCamera(UsbCamera(0x0408, 0x2040, 0x0107, "22222222"));
  InitSilent();
  EXPECT_EQ(record.m_wPid, 0x2040);
  EXPECT_EQ(record.m_wBcd, 0x0107);
  EXPECT_EQ(record.m_nDeviceIndex, 1);  // the camera the engine is to write
  EXPECT_EQ(g_bReadyToUpdate, 1);
}

TEST_F(DetectionTest, IdentityIsNotClearedForADeviceWithoutImagingEntry) {
  AddCamera(UsbCamera(0x0408, 0x1111, 0x0100, "11111111"));
  platform.videoDevicePaths.push_back(UsbCamera(0x0408, 0x2040, 0x0100, "22222222").devicePath);
  InitSilent();
  EXPECT_EQ(record.m_wPid, 0x1111);
  EXPECT_EQ(g_nExitCode, kOutcomeNoFirmware);
}

TEST_F(DetectionTest, UnavailableImagingListLeavesTheIdentityAtZero) {
  AddCamera(UsbCamera(0x0408, 0x2040, 0x0100, "2e3f1c7e"));
  platform.setupDevices.reset();
  InitSilent();
  EXPECT_EQ(record.FindCameraIdentity(0), 1);
  EXPECT_EQ(record.m_wVid, 0);
  EXPECT_EQ(record.m_wPid, 0);
  EXPECT_EQ(g_nExitCode, kOutcomeNoFirmware);
}

TEST_F(DetectionTest, AtMostTenUsbDevicesAreStoredAndOtherBusesTakeNoSlot) {
  const struct {
    int listedPosition;  // 1-based among the USB devices
    bool chosen;
  } cases[] = {{10, true}, {11, false}};
  for (const auto& c : cases) {
    ResetProgramValues();
    platform.videoDevicePaths.clear();
    platform.setupDevices->clear();
    platform.videoDevicePaths.push_back("\\\\?\\pci#ven_8086&dev_0001#3&1&0#{65e8773d}\\global");
    for (int i = 1; i <= 12; ++i) {
      const uint16_t pid = i == c.listedPosition ? 0x2040 : 0x1000 + i;
      char piece[9];
      std::snprintf(piece, sizeof piece, "c00000%02d", i);
      AddCamera(UsbCamera(0x0408, pid, 0x0100, piece));
    }
    CVarnelCameraDlg fresh(platform);
    g_bShowWindow = 0;
    fresh.InitSession(nullptr);
    EXPECT_EQ(fresh.m_wPid == 0x2040, c.chosen) << c.listedPosition;
    EXPECT_EQ(fresh.m_nDeviceIndex, c.chosen ? 9 : -1) << c.listedPosition;
    EXPECT_EQ(fresh.EnumerateVideoDevices(), 10);
  }
}

TEST_F(DetectionTest, UsbCasingOfThePathDecidesWhetherItIsADevice) {
  const struct {
    const char* bus;
    int count;
  } cases[] = {{"usb", 1}, {"USB", 1}, {"Usb", 0}, {"pci", 0}};
  for (const auto& c : cases) {
    platform.videoDevicePaths = {std::string("\\\\?\\") + c.bus + "#vid_0408&pid_2040#6&1&0"};
    InitSilent();
    EXPECT_EQ(record.EnumerateVideoDevices(), c.count) << c.bus;
  }
}

TEST_F(DetectionTest, BootRomCameraTakesTheSavedChoiceFromTheSettingsFile) {
  dir.WriteFile(u"bin/Ostrel_sp.ini", "[SETTING]\r\nCHIP=2\r\nBIN=r.bin\r\n");
  AddCamera(UsbCamera(0x04FC, 0x2080, 0x0100, "2e3f1c7e"));
  InitWindowed();
  EXPECT_EQ(record.m_bRomMode, 1);
  EXPECT_EQ(record.m_nDeviceIndex, -1);
  EXPECT_EQ(record.m_nChipVendor, 2);
  EXPECT_EQ(std::u16string(record.m_szBinName), u"r.bin");
  EXPECT_EQ(record.m_strImagePath, dir.File(u"bin/r.bin"));
  EXPECT_EQ(g_bReadyToUpdate, 1);
  EXPECT_EQ(NewViewLines(), (std::vector<std::string>{"TIMER 2457 500", "TEXT 1001 04FC",
                                                      "TEXT 1002 2080", "TEXT 1007 0100 ->"}));
  EXPECT_EQ(Log(), LogOf({u"ROM code is found, ready for update.\r\n"}));
}

TEST_F(DetectionTest, BootRomCameraWithoutSettingsFileHasVendorZeroAndNoName) {
  AddCamera(UsbCamera(0x0C45, 0x6362, 0x4321, "2e3f1c7e"));
  InitSilent();
  EXPECT_EQ(record.m_bRomMode, 1);
  EXPECT_EQ(record.m_nChipVendor, 0);
  EXPECT_EQ(record.m_szBinName[0], u'\0');
}

TEST_F(DetectionTest, FailedSelectionLogsAndStartsNoTimer) {
  WritePidIni({"[PID_2040]", "CHIP=3"});
  AddCamera(UsbCamera(0x0408, 0x2040, 0x0105, "2e3f1c7e"));
  InitWindowed();
  EXPECT_EQ(g_nExitCode, kOutcomeLoadFailed);
  EXPECT_EQ(record.m_bFinished, 0);
  EXPECT_EQ(g_bReadyToUpdate, 0);
  EXPECT_TRUE(platform.view.ActiveTimers().empty());
  EXPECT_EQ(Log(), LogOf({u"Camera vid=0x0408, pid=0x2040, bcd=0x0105.\r\n",
                          u"Load special file fail.\r\n"}));
}

}  // namespace
}  // namespace ostrel
