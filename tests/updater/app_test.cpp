#include "app.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "text/utf16.h"
#include "updater_fixture.h"

namespace ostrel {
namespace {

using testing::FakePlatform;
using testing::ScratchDir;

std::string Utf16Le(const std::u16string& text) { return text::Utf16ToLeBytes(text); }

const std::string kBanner =
    Utf16Le(u"===================================14:03:59 (12/06)=======\r\n");

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProgramValues();
    dir.MakeFolder(u"bin");
  }
  void TearDown() override { ResetProgramValues(); }

  std::string Log() const { return dir.ReadFile(u"bin/Ostrel_sp.log"); }

  ScratchDir dir;
  FakePlatform platform{dir};
};

TEST(CommandLine, OnlyDashLowerSAtTheStartSelectsTheSilentRun) {
  const struct {
    std::u16string line;
    bool silent;
  } cases[] = {
      {u"-s", true}, {u"-sX", true}, {u"-s -x", true}, {u"-S", false},
      {u"/s", false}, {u"", false},  {u"-", false},    {u" -s", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsSilentCommandLine(c.line), c.silent) << text::Utf16ToUtf8(c.line);
  }
}

TEST_F(AppTest, SecondInstanceEndsAtOnceWithCodeZeroAndNoLog) {
  platform.otherInstanceRunning = true;
  EXPECT_EQ(CVarnelCameraApp(platform).Run(u"-s"), 0);
  EXPECT_FALSE(dir.Exists(u"bin/Ostrel_sp.log"));
  EXPECT_TRUE(platform.DebugLines().empty());
}

TEST_F(AppTest, SilentRunWithoutCameraLogsAndEndsWithCodeOneWithoutPolling) {
  EXPECT_EQ(CVarnelCameraApp(platform).Run(u"-s"), 1);
  EXPECT_EQ(Log(), "\xFF\xFE" + kBanner + Utf16Le(u"No Camera found!\r\n"));
  EXPECT_TRUE(platform.DebugLines().empty());
  EXPECT_TRUE(platform.view.Lines().empty());
}

TEST_F(AppTest, TwoRunsAppendTwoBannersAfterOneByteOrderMark) {
  CVarnelCameraApp(platform).Run(u"-s");
  ResetProgramValues();
  CVarnelCameraApp(platform).Run(u"-s");
  const std::string run = kBanner + Utf16Le(u"No Camera found!\r\n");
  EXPECT_EQ(Log(), "\xFF\xFE" + run + run);
}

TEST_F(AppTest, WindowedRunWithoutCameraShowsItAndClosesOnFirstPress) {
  EXPECT_EQ(CVarnelCameraApp(platform).Run(u""), 1);
  EXPECT_EQ(platform.view.Text(kCtlStatus), u"No camera!");
  EXPECT_EQ(platform.closePresses, 1);
  EXPECT_EQ(Log(), "\xFF\xFE" + kBanner + Utf16Le(u"No Camera found!\r\n"));
}

// Without a desktop the windowed run cannot show its dialog; it ends with the code a silent
// run gives, never with success for an update it did not make.
class WindowlessRunTest : public testing::UpdaterTest {};

TEST_F(WindowlessRunTest, EndsWithTheSilentRunsCode) {
  const struct {
    const char* what;
    bool camera;
    int code;
    std::u16string lastLogLine;
  } cases[] = {
      {"no camera", false, kOutcomeNoCamera, u"No Camera found!\r\n"},
      {"ready, image missing", true, kOutcomeLoadFailed, u"load fail!\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ResetProgramValues();
    if (c.camera) {
      AddCamera(testing::UsbCamera(0x0408, 0x2040, 0x0105, "2e3f1c7e"));
      WritePidIni({"[PID_2040]", "CHIP=4", "BIN=fw.bin"});
    }
    platform.windowCanBeMade = false;
    EXPECT_EQ(CVarnelCameraApp(platform).Run(u""), c.code);
    EXPECT_TRUE(platform.view.Lines().empty());
    const std::string log = Log();
    const std::string last = Utf16Le(c.lastLogLine);
    EXPECT_EQ(log.substr(log.size() - std::min(log.size(), last.size())), last);
    const auto lines = platform.DebugLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        u"Ostrel: no window could be made, the run goes on as a silent one"),
              lines.end());
  }
}

TEST_F(AppTest, MissingBinFolderRunsOnWithoutALog) {
  ScratchDir bare;
  FakePlatform barePlatform(bare);
  EXPECT_EQ(CVarnelCameraApp(barePlatform).Run(u"-s"), 1);
  EXPECT_FALSE(bare.Exists(u"bin"));
  ASSERT_EQ(barePlatform.DebugLines().size(), 1u);
  EXPECT_NE(text::Utf16ToUtf8(barePlatform.DebugLines()[0]).find("cannot open the update log"),
            std::string::npos);
}

TEST_F(AppTest, ProgramFolderThatDoesNotFitTheFieldIsRefused) {
  const struct {
    size_t folderChars;
    bool accepted;
  } cases[] = {{255, true}, {256, false}, {1000, false}};
  for (const auto& c : cases) {
    ResetProgramValues();
    platform.programPath = std::u16string(c.folderChars, u'a') + u"/ostrel";
    CVarnelCameraDlg record(platform);
    g_bShowWindow = 0;
    record.InitSession(nullptr);
    EXPECT_EQ(record.m_szAppDir[0] != 0, c.accepted) << c.folderChars;
    EXPECT_EQ(record.m_szAppDir[255], u'\0');
    if (!c.accepted) {
      EXPECT_EQ(g_nExitCode, kOutcomeLoadFailed);
      EXPECT_EQ(record.m_bFinished, 1);
    }
  }
}

// The silent poll, driven by a scripted engine that moves at given polls.
class PollTest : public AppTest {
 protected:
  void Poll(const std::function<void(int poll)>& engineAtPoll) {
    record.m_nState = kStateStarted;
    g_bEngineRunning = 1;
    int polls = 0;
    platform.onSleep = [&] { engineAtPoll(++polls); };
    PollEngine(record, platform);
  }
  CVarnelCameraDlg record{platform};
};

TEST_F(PollTest, EngineThatNeverFinishesGivesUpAfter361PollsWithCodeSix) {
  record.m_nProgress = 42;
  Poll([](int) {});
  EXPECT_EQ(g_nExitCode, kOutcomeSilentTimeout);
  const auto lines = platform.DebugLines();
  ASSERT_EQ(lines.size(), 361u);
  EXPECT_EQ(lines.front(), u"complete rate=0x2a14");
  EXPECT_EQ(platform.nowMs, 361u * 500u);
}

TEST_F(PollTest, FailedOrMissingLibraryStateGivesCodeFiveWhateverTheEngineSet) {
  for (uint8_t state : {kStateFailed, kStateLibraryMissing}) {
    g_nExitCode = 0;
    platform.nowMs = 0;
    Poll([&](int poll) {
      if (poll == 3) record.m_nState = state;
    });
    EXPECT_EQ(g_nExitCode, kOutcomeUpdateFailed);
    EXPECT_EQ(platform.nowMs, 3u * 500u);
  }
}

TEST_F(PollTest, EngineReachingOneHundredKeepsItsCode) {
  Poll([&](int poll) {
    if (poll == 2) {
      g_nExitCode = 0;
      record.m_nState = kStateFinished;
      record.m_nProgress = 100;
    }
  });
  EXPECT_EQ(g_nExitCode, 0);
  EXPECT_EQ(platform.DebugLines().size(), 2u);
  EXPECT_EQ(platform.DebugLines()[1], u"complete rate=0x0014");
}

TEST_F(PollTest, NoEngineOrProgressAlreadyDoneSkipsPolling) {
  g_bEngineRunning = 0;
  PollEngine(record, platform);
  g_bEngineRunning = 1;
  record.m_nProgress = 100;
  PollEngine(record, platform);
  EXPECT_TRUE(platform.DebugLines().empty());
}

}  // namespace
}  // namespace ostrel
