#include <gtest/gtest.h>

#include <functional>

#include "engines/engines.h"
#include "updater_fixture.h"

namespace ostrel {
namespace {

using testing::LogOf;
using Lines = std::vector<std::string>;

// The supervision on the test's own thread, with the engine played in step with its sleeps.
class SupervisionTest : public testing::UpdaterTest {
 protected:
  void SetUp() override {
    UpdaterTest::SetUp();
    InitWindowed();  // no camera: only the window and the log are wanted
    record.m_bFinished = 0;
    g_nExitCode = 0;
    record.m_bUpdating = 1;
    record.m_nState = kStateStarted;
    NewViewLines();
    logBefore = Log();
  }
  // engineAtSleep(n) runs at the n-th sleep of the supervision.
  void Supervise(const std::function<void(int sleep)>& engineAtSleep = {}) {
    int sleeps = 0;
    platform.onSleep = [&] {
      if (engineAtSleep) engineAtSleep(++sleeps);
    };
    EXPECT_EQ(SuperviseUpdate(record), 0u);
    platform.onSleep = nullptr;
  }
  std::string NewLog() {
    const std::string log = Log();
    std::string fresh = log.substr(logBefore.size());
    logBefore = log;
    return fresh;
  }
  static std::string LogText(std::initializer_list<std::u16string> lines) {
    std::string bytes;
    for (const auto& line : lines) bytes += testing::Utf16Le(line);
    return bytes;
  }
  std::string logBefore;
};

TEST_F(SupervisionTest, JumpFromZeroToEightyLogsThreeMilestonesInOrderOncePerProcess) {
  Supervise([&](int sleep) { record.m_nProgress = sleep == 1 ? 80 : 100; });
  EXPECT_EQ(NewLog(), LogText({u"Updating...25%\r\n", u"Updating...50%\r\n",
                               u"Updating...75%\r\n", u"**Update Success!\r\n"}));
  EXPECT_EQ(NewViewLines(),
            (Lines{"BITMAP 130", "TEXT 1000 0% --", "POS 0", "BITMAP 130", "TEXT 1000 80% /",
                   "POS 80", "BITMAP 131", "TEXT 1005 Update finish!", "TEXT 1000 100%",
                   "POS 100", "ENABLE 2 1"}));
  EXPECT_EQ(record.m_nState, kStateFinished);
  EXPECT_EQ(record.m_bUpdating, 0);

  record.m_nProgress = 0;
  record.m_nState = kStateStarted;
  Supervise([&](int sleep) { record.m_nProgress = sleep == 1 ? 80 : 100; });
  EXPECT_EQ(NewLog(), LogText({u"**Update Success!\r\n"}));
}

TEST_F(SupervisionTest, JumpFromFortyToOneHundredLogsOnlyTheFirstMilestone) {
  record.m_nProgress = 40;
  Supervise([&](int) { record.m_nProgress = 100; });
  EXPECT_EQ(NewLog(), LogText({u"Updating...25%\r\n", u"**Update Success!\r\n"}));
  EXPECT_EQ(platform.nowMs, 200u);
}

TEST_F(SupervisionTest, SpinnerTurnsDashesSlashBarBackslash) {
  Supervise([&](int sleep) {
    if (sleep == 5) record.m_nProgress = 100;
  });
  Lines spinner;
  for (const auto& line : NewViewLines()) {
    if (line.rfind("TEXT 1000 ", 0) == 0) spinner.push_back(line.substr(10));
  }
  EXPECT_EQ(spinner, (Lines{"0% --", "0% /", "0% |", "0% \\", "0% --", "100%"}));
}

TEST_F(SupervisionTest, EngineThatNeverMovesTimesOutOnTheNineHundredFirstCycle) {
  record.m_nProgress = 10;
  record.m_nState = kStateEngineWorking;
  Supervise();
  EXPECT_EQ(platform.nowMs, 900u * 200u);
  EXPECT_EQ(record.m_nState, kStateFailed);
  EXPECT_EQ(g_nExitCode, kOutcomeSilentTimeout);
  EXPECT_EQ(record.m_bUpdating, 0);
  EXPECT_EQ(NewLog(), LogText({u"**Burning Timeout!\r\n", u"**Update fail!\r\n"}));
  const Lines lines = NewViewLines();
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(Lines(lines.end() - 5, lines.end()),
            (Lines{"BITMAP 135", "TEXT 1005 Please re-open me!", "TEXT 1000 10%", "POS 10",
                   "ENABLE 2 1"}));
  EXPECT_EQ(platform.view.Text(kCtlStatus), u"Please re-open me!");
}

TEST_F(SupervisionTest, WorkingStateIsAcknowledged) {
  record.m_nState = kStateEngineWorking;
  Supervise([&](int) {
    EXPECT_EQ(record.m_nState, kStateWorkingSeen);
    record.m_nProgress = 100;
  });
  EXPECT_EQ(record.m_nState, kStateFinished);
}

TEST_F(SupervisionTest, FailedEngineEndsAtTheNextCycle) {
  Supervise([&](int sleep) {
    if (sleep == 2) record.m_nState = kStateFailed;
  });
  EXPECT_EQ(platform.nowMs, 400u);
  EXPECT_EQ(g_nExitCode, 0) << "the engine's code stands when the engine itself failed";
  const Lines lines = NewViewLines();
  EXPECT_EQ(Lines(lines.end() - 6, lines.end()),
            (Lines{"BITMAP 135", "BITMAP 135", "TEXT 1005 Please re-open me!", "TEXT 1000 0%",
                   "POS 0", "ENABLE 2 1"}));
  EXPECT_EQ(NewLog(), LogText({u"**Update fail!\r\n"}));
}

TEST_F(SupervisionTest, MissingLibraryNamesTheVendorsLibrary) {
  const struct {
    int32_t vendor;
    const char16_t* status;  // nullptr: left unchanged
  } cases[] = {
      {1, u"SunplusCamera.dll missing!"},
      {2, u"RvcLib.dll missing!"},
      {3, u"BurnerApLib.dll, st50220.dll missing!"},
      {4, nullptr},
  };
  for (const auto& c : cases) {
    record.SetStatus(u"before");
    record.m_nChipVendor = c.vendor;
    record.m_nState = kStateLibraryMissing;
    record.m_nProgress = 100;
    Supervise();
    EXPECT_EQ(platform.view.Text(kCtlStatus), c.status ? c.status : u"before") << c.vendor;
    EXPECT_EQ(NewLog(), LogText({u"**DLL missing!\r\n"}));
    const Lines lines = NewViewLines();
    EXPECT_EQ(lines[1], "BITMAP 135");
    EXPECT_EQ(lines.back(), "ENABLE 2 1");
  }
}

TEST_F(SupervisionTest, FinishedRunShowsNothingDoneAndLogsNothing) {
  record.m_bFinished = 1;
  record.m_nProgress = 100;
  Supervise();
  EXPECT_EQ(NewViewLines(), (Lines{"BITMAP 134", "ENABLE 2 1"}));
  EXPECT_EQ(NewLog(), "");
  EXPECT_EQ(record.m_bUpdating, 0);
  EXPECT_EQ(platform.nowMs, 0u);
}

TEST_F(SupervisionTest, EngineDoneWithinTheFirstCycleShowsOneSpinnerThenFinish) {
  Supervise([&](int) { record.m_nProgress = 100; });
  EXPECT_EQ(NewViewLines(),
            (Lines{"BITMAP 130", "TEXT 1000 0% --", "POS 0", "BITMAP 131",
                   "TEXT 1005 Update finish!", "TEXT 1000 100%", "POS 100", "ENABLE 2 1"}));
}

TEST_F(SupervisionTest, SkipUpdateForRInTheSilentRunShowsNothing) {
  g_bShowWindow = 0;
  g_nExitCode = 4;
  EXPECT_EQ(SkipUpdateForR(record), 0u);
  EXPECT_EQ(record.m_bFinished, 1);
  EXPECT_EQ(record.m_nProgress, 100);
  EXPECT_EQ(g_nExitCode, 0);
  EXPECT_TRUE(NewViewLines().empty());
}

}  // namespace
}  // namespace ostrel
