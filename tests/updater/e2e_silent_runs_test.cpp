// End-to-end runs of the simulated ostrel as its own process, in a scratch program folder
// with a world file: exit codes, log bytes, the settings file and the dialog trace.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "ini/profile_file.h"
#include "program_folder.h"
#include "text/utf16.h"

namespace ostrel {
namespace {

using testing::Utf16Le;
using testing::WorldCamera;

using Lines = std::vector<std::string>;

class EndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.MakeFolder(u"bin");
    std::filesystem::copy_file(OSTREL_SIM_PROGRAM,
                               std::filesystem::path(dir.File(text::Utf8ToUtf16(testing::ProgramFile()))));
  }

  // Runs the program with a world of the given cameras; windowed runs record their dialog.
  int Run(const std::string& cameras, bool silent) {
    dir.WriteFile(u"simcam.ini", "[World]\r\nTimeScale=0.01\r\nDialogTrace=dialog.log\r\n"
                                 "ClosePeriod=500\r\n" + cameras);
    return dir.RunOstrel(silent);
  }

  std::string LogAfterBanner() const { return dir.LogAfterBanner(); }
  std::u16string Setting(const std::u16string& key) const {
    return profile::GetString(dir.File(u"bin/Ostrel_sp.ini"), u"SETTING", key, u"<none>");
  }
  Lines Trace() const {
    Lines lines;
    std::istringstream in(dir.ReadFile(u"dialog.log"));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  // The trace without the presses of Close, which fall wherever the clock puts them.
  Lines TraceWithoutPresses() const {
    Lines lines;
    for (const auto& line : Trace()) {
      if (line.rfind("CLOSE ", 0) != 0) lines.push_back(line);
    }
    return lines;
  }

  testing::ProgramFolder dir;
  const std::u16string kFound = u"Camera vid=0x0408, pid=0x2040, bcd=0x0105.\r\n";
  const std::u16string kReady = u"The camera vid/pid is ok, ready for update.\r\n";
};

TEST_F(EndToEndTest, NoCamera) {
  EXPECT_EQ(Run("", true), 1);
  EXPECT_EQ(LogAfterBanner(), Utf16Le({u"No Camera found!\r\n"}));
}

TEST_F(EndToEndTest, PidNotMatchIsLoggedInTheSilentRun) {
  dir.WriteFile(u"pid.ini", "[PID_2040]\r\nCHIP=4\r\nBIN=fw.bin\r\n");
  EXPECT_EQ(Run(WorldCamera("plain", "0408", "1111", "0100"), true), 2);
  EXPECT_EQ(LogAfterBanner(), Utf16Le({u"PID not match\r\n"}));
}

TEST_F(EndToEndTest, BootRomCameraIsUpdatedWithTheSavedVendorTwoChoice) {
  dir.WriteFile(u"bin/Ostrel_sp.ini", "[SETTING]\r\nCHIP=2\r\nBIN=r.bin\r\n");
  dir.WriteFile(u"bin/r.bin", std::string(0x100, '\0'));
  EXPECT_EQ(Run(WorldCamera("plain", "04fc", "2080", "0100"), false), 0);
  const Lines trace = TraceWithoutPresses();
  ASSERT_GE(trace.size(), 10u);
  EXPECT_EQ(Lines(trace.begin(), trace.begin() + 8),
            (Lines{"TIMER 2457 500", "TEXT 1001 04FC", "TEXT 1002 2080", "TEXT 1007 0100 ->",
                   "KILLTIMER 2457", "TEXT 1003 9999", "ENABLE 2 0",
                   "TEXT 1005 Don't turn off power!"}));
  EXPECT_NE(std::find(trace.begin(), trace.end(), "TEXT 1005 NoNeed to update for R!"), trace.end());
  EXPECT_EQ(Lines(trace.end() - 2, trace.end()), (Lines{"BITMAP 134", "ENABLE 2 1"}));
  EXPECT_EQ(Trace().back(), "CLOSE accepted");
  const std::string run = Utf16Le({u"ROM code is found, ready for update.\r\n",
                                   u"Auto load the file[r.bin], ", u"load ok.\r\n",
                                   u"Start update!\r\n"});
  EXPECT_EQ(LogAfterBanner(), run);
  EXPECT_EQ(Setting(u"CHIP"), u"2");
  EXPECT_EQ(Setting(u"BIN"), u"r.bin");

  EXPECT_EQ(Run(WorldCamera("plain", "04fc", "2080", "0100"), true), 0);
}

TEST_F(EndToEndTest, MissingImageEndsWithCodeThree) {
  dir.WriteFile(u"pid.ini", "[PID_2040]\r\nCHIP=4\r\nBIN=fw.bin\r\n");
  EXPECT_EQ(Run(WorldCamera("plain", "0408", "2040", "0105"), true), 3);
  EXPECT_EQ(LogAfterBanner(),
            Utf16Le({kFound, kReady, u"Auto load the file[fw.bin], ", u"load fail!\r\n"}));
  EXPECT_FALSE(dir.Exists(u"bin/Ostrel_sp.ini"));
}

TEST_F(EndToEndTest, ZelCameraWhoseFlashHoldsTheImageVersionIsUpToDate) {
  dir.WriteFile(u"pid.ini", "[PID_2040]\r\nCHIP=4\r\nBIN=fw.bin\r\n");
  std::string image(0x20000, '\xFF');
  image.replace(0x253, 4, "0105");
  image[0x4020] = 18;
  image[0x4021] = 1;
  dir.WriteFile(u"bin/fw.bin", image);
  std::string flash = image;
  flash[0x402C] = 0x05;
  flash[0x402D] = 0x01;
  dir.WriteFile(u"camera1.flash", flash);
  // The hardware id says 0001; the camera reports the release its flash holds.
  EXPECT_EQ(Run(WorldCamera("zel", "0408", "2040", "0001", "Flash=camera1.flash\r\n"), true), 0);
  EXPECT_EQ(LogAfterBanner(), Utf16Le({kFound, kReady, u"Auto load the file[fw.bin], ",
                                       u"load ok.\r\n",
                                       u"**FW version is the same, skip update!\r\n"}));
  EXPECT_FALSE(dir.Exists(u"bin/Ostrel_sp.ini"));
}

TEST_F(EndToEndTest, UnknownVendorEndsWithCodeFourAndAClosableWindow) {
  dir.WriteFile(u"pid.ini", "[PID_2040]\r\nBIN=fw.bin\r\n");
  dir.WriteFile(u"bin/fw.bin", std::string(0x400, '\0'));
  EXPECT_EQ(Run(WorldCamera("plain", "0408", "2040", "0105"), false), 4);
  EXPECT_EQ(Trace(), (Lines{"TEXT 1001 0408", "TEXT 1002 2040", "TEXT 1007 0105 ->",
                            "TIMER 2457 500", "KILLTIMER 2457", "TEXT 1003 9999", "ENABLE 2 0",
                            "TEXT 1005 Don't turn off power!", "ENABLE 2 1", "CLOSE accepted"}));
  EXPECT_EQ(LogAfterBanner(), Utf16Le({kFound, kReady, u"Auto load the file[fw.bin], ",
                                       u"load ok.\r\n", u"Start update!\r\n"}));
  EXPECT_EQ(Setting(u"CHIP"), u"0");
  EXPECT_EQ(Setting(u"BIN"), u"fw.bin");
}

}  // namespace
}  // namespace ostrel
