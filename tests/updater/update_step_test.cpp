#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <thread>

#include "engines/engines.h"
#include "updater_fixture.h"

namespace ostrel {
namespace {

using testing::LogOf;
using testing::UsbCamera;
using testing::ZelImage;

class UpdateStepTest : public testing::UpdaterTest {
 protected:
  void Camera(const char* chip, uint16_t release = 0x0105) {
    AddCamera(UsbCamera(0x0408, 0x2040, release, "2e3f1c7e"));
    if (chip == nullptr) {
      WritePidIni({"[PID_2040]", "BIN=fw.bin"});
    } else {
      WritePidIni({"[PID_2040]", (std::string("CHIP=") + chip).c_str(), "BIN=fw.bin"});
    }
  }
  void ExpectLoadRefused(const std::optional<std::string>& image) {
    Camera("4");
    if (image) WriteBinFile(u"fw.bin", *image);
    InitWindowed();
    NewViewLines();
    record.StartUpdate();
    EXPECT_EQ(g_nExitCode, kOutcomeLoadFailed);
    EXPECT_EQ(g_bEngineRunning, 0);
    EXPECT_EQ(record.m_bFinished, 0);
    EXPECT_EQ(record.m_bUpdating, 0);
    EXPECT_EQ(NewViewLines(), (std::vector<std::string>{
                                  "KILLTIMER 2457", "TEXT 1005 No file[fw.bin]!", "BITMAP 135"}));
    EXPECT_EQ(Log(), LogOf({kFound, kReady, u"Auto load the file[fw.bin], ", u"load fail!\r\n"}));
    EXPECT_EQ(Setting(u"CHIP"), u"<none>");
  }
  const std::u16string kFound = u"Camera vid=0x0408, pid=0x2040, bcd=0x0105.\r\n";
  const std::u16string kReady = u"The camera vid/pid is ok, ready for update.\r\n";
};

TEST_F(UpdateStepTest, MissingImageIsRefusedWithCodeThree) { ExpectLoadRefused(std::nullopt); }

TEST_F(UpdateStepTest, EmptyImageIsRefusedWithCodeThree) { ExpectLoadRefused(""); }

TEST_F(UpdateStepTest, ImageOneByteOverTheBufferIsRefusedWithCodeThree) {
  ExpectLoadRefused(ZelImage("0107", 0x20001));
}

// A ZEL image that cannot hold a valid device descriptor is refused before anything is
// erased, whatever its version reads as.
struct BadZelImage {
  const char* what;
  std::string image;
};

std::string WithByte(std::string image, size_t at, char value) {
  image[at] = value;
  return image;
}

class ZelDescriptorTest : public UpdateStepTest,
                          public ::testing::WithParamInterface<BadZelImage> {};

TEST_P(ZelDescriptorTest, IsRefusedWithCodeThree) { ExpectLoadRefused(GetParam().image); }

INSTANTIATE_TEST_SUITE_P(
    UpdateStep, ZelDescriptorTest,
    ::testing::Values(BadZelImage{"OneByte", std::string(1, '\x12')},
                      BadZelImage{"AllFF", std::string(0x20000, '\xFF')},
                      BadZelImage{"EndsInsideTheDescriptor", ZelImage("0107", 0x4020 + 17)},
                      BadZelImage{"LengthNot18", WithByte(ZelImage("0107"), 0x4020, 17)},
                      BadZelImage{"TypeNot1", WithByte(ZelImage("0107"), 0x4021, 2)}),
    [](const ::testing::TestParamInfo<BadZelImage>& info) { return std::string(info.param.what); });

TEST_F(UpdateStepTest, ZelImageEndingWithItsDeviceDescriptorStartsTheEngine) {
  Camera("4");
  WriteBinFile(u"fw.bin", ZelImage("0107", 0x4020 + 18));
  InitSilent();
  record.StartUpdate();
  EXPECT_EQ(record.m_nImageSize, 0x4020 + 18);
  EXPECT_EQ(g_bEngineRunning, 1);
  EXPECT_EQ(Log(), LogOf({kFound, kReady, u"Auto load the file[fw.bin], ", u"load ok.\r\n",
                          u"Start update!\r\n"}));
}

#ifndef _WIN32
// Neither blocks the run: a FIFO without a writer, a device that never ends.
TEST_F(UpdateStepTest, FifoImageIsRefusedWithCodeThree) {
  dir.MakeFifo(u"bin/fw.bin");
  ExpectLoadRefused(std::nullopt);
}

TEST_F(UpdateStepTest, ImageLinkedToDevZeroIsRefusedWithCodeThree) {
  dir.MakeLink(u"bin/fw.bin", "/dev/zero");
  ExpectLoadRefused(std::nullopt);
}
#endif

TEST_F(UpdateStepTest, ImageOfExactlyTheBufferSizeIsLoaded) {
  Camera("4");
  WriteBinFile(u"fw.bin", ZelImage("0105", 0x20000));
  InitSilent();
  record.StartUpdate();
  EXPECT_EQ(record.m_nImageSize, 0x20000);
  EXPECT_EQ(record.m_nBytesRead, 0x20000u);
  EXPECT_EQ(g_nExitCode, kOutcomeSuccess);
}

TEST_F(UpdateStepTest, SameVersionSkipsTheUpdate) {
  Camera("4");
  WriteBinFile(u"fw.bin", ZelImage("0105"));
  InitWindowed();
  NewViewLines();
  record.StartUpdate();
  EXPECT_EQ(g_nExitCode, kOutcomeSuccess);
  EXPECT_EQ(g_bEngineRunning, 0);
  EXPECT_EQ(record.m_bFinished, 1);
  EXPECT_EQ(NewViewLines(), (std::vector<std::string>{"KILLTIMER 2457", "TEXT 1003 0105",
                                                      "TEXT 1005 FW is up-to-date!", "BITMAP 134"}));
  EXPECT_EQ(Log(), LogOf({kFound, kReady, u"Auto load the file[fw.bin], ", u"load ok.\r\n",
                          u"**FW version is the same, skip update!\r\n"}));
  EXPECT_EQ(Setting(u"CHIP"), u"<none>");
}

TEST_F(UpdateStepTest, UnreadableVersionEqualsACameraReleaseOf9999) {
  AddCamera(UsbCamera(0x0408, 0x2040, 0x9999, "2e3f1c7e"));
  WritePidIni({"[PID_2040]", "CHIP=3", "BIN=fw.bin"});
  WriteBinFile(u"fw.bin", std::string(0x100, '\0'));  // too short for the SONIX rule
  InitSilent();
  record.StartUpdate();
  EXPECT_EQ(record.m_bFinished, 1);
  EXPECT_EQ(g_bEngineRunning, 0);
}

TEST_F(UpdateStepTest, UnknownVendorStartsNothingAndLeavesTheWindowClosable) {
  Camera(nullptr);
  WriteBinFile(u"fw.bin", ZelImage("0107"));
  InitWindowed();
  NewViewLines();
  record.StartUpdate();
  EXPECT_EQ(g_nExitCode, kOutcomeUnknownVendor);
  EXPECT_EQ(g_bEngineRunning, 0);
  EXPECT_EQ(record.m_bUpdating, 0);
  EXPECT_EQ(record.m_nState, kStateStarted);
  EXPECT_EQ(NewViewLines(),
            (std::vector<std::string>{"KILLTIMER 2457", "TEXT 1003 9999", "ENABLE 2 0",
                                      "TEXT 1005 Don't turn off power!", "ENABLE 2 1"}));
  EXPECT_EQ(Log(), LogOf({kFound, kReady, u"Auto load the file[fw.bin], ", u"load ok.\r\n",
                          u"Start update!\r\n"}));
  EXPECT_EQ(Setting(u"CHIP"), u"0");
  EXPECT_EQ(Setting(u"BIN"), u"fw.bin");
}

TEST_F(UpdateStepTest, VendorTwoEndsAsNothingToDoAfterTheSupervisionEnds) {
  Camera("2");
  WriteBinFile(u"fw.bin", std::string(0x100, '\0'));
  InitWindowed();
  NewViewLines();
  // Fake time runs free: the supervision waits at its first sleep for the engine thread, so
  // it cannot spin to its time limit before that thread was scheduled.
  platform.onSleep = [&] {
    while (record.m_nProgress < 100) std::this_thread::yield();
  };
  record.StartUpdate();
  platform.JoinThreads();
  EXPECT_EQ(g_nExitCode, kOutcomeSuccess);
  EXPECT_EQ(g_bEngineRunning, 1);
  EXPECT_EQ(record.m_nProgress, 100);
  EXPECT_EQ(record.m_bFinished, 1);
  EXPECT_EQ(record.m_bUpdating, 0);
  const auto lines = NewViewLines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), "TEXT 1005 NoNeed to update for R!"), lines.end());
  EXPECT_EQ(lines.back(), "ENABLE 2 1");
  EXPECT_EQ(lines[lines.size() - 2], "BITMAP 134");
  EXPECT_EQ(Setting(u"CHIP"), u"2");
  EXPECT_EQ(Log(), LogOf({kFound, kReady, u"Auto load the file[fw.bin], ", u"load ok.\r\n",
                          u"Start update!\r\n"}));
}

TEST_F(UpdateStepTest, MultiImageAlwaysStartsAndSavesOnlyTheVendor) {
  AddCamera(UsbCamera(0x0408, 0x2040, 0x9999, "2e3f1c7e"));
  WritePidIni({"[PID_2040]", "[P1D_2040]", "BIN=a.bin", "CHIP=2"});
  WriteBinFile(u"a.bin", "a");
  InitSilent();
  record.StartUpdate();
  platform.JoinThreads();
  EXPECT_EQ(g_bEngineRunning, 1);
  EXPECT_EQ(Setting(u"CHIP"), u"2");
  EXPECT_EQ(Setting(u"BIN"), u"<none>");
  EXPECT_EQ(Log(), LogOf({u"Camera vid=0x0408, pid=0x2040, bcd=0x9999.\r\n", kReady,
                          u"Start update!\r\n"}));
}

TEST(EngineTable, VendorsOneToFourHaveAnEngineOthersNone) {
  const struct {
    int32_t vendor;
    EngineEntry engine;
  } cases[] = {{0, nullptr},           {1, RunSunplusUpdate}, {2, SkipUpdateForR},
               {3, RunSonixUpdate},    {4, RunZelUpdate},     {5, nullptr},
               {-1, nullptr}};
  for (const auto& c : cases) EXPECT_EQ(EngineForVendor(c.vendor), c.engine) << c.vendor;
}

}  // namespace
}  // namespace ostrel
