#include "dialog_logic.h"

#include <gtest/gtest.h>

#include "updater_fixture.h"

namespace ostrel {
namespace {

TEST(RepaintRule, FinishedFirstThenByState) {
  const struct {
    int32_t finished;
    uint8_t state;
    int bitmap;
  } cases[] = {
      {1, kStateIdle, kBmpNothingDone},     {1, kStateFailed, kBmpNothingDone},
      {0, kStateStarted, kBmpStarted},      {0, kStateEngineWorking, kBmpWorking},
      {0, kStateFinished, kBmpSuccess},     {0, kStateFailed, kBmpFailure},
      {0, kStateIdle, 0},                   {0, kStateWorkingSeen, 0},
      {0, kStateLibraryMissing, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(RepaintBitmap(c.finished, c.state), c.bitmap);
}

using DialogLogicTest = testing::UpdaterTest;

TEST_F(DialogLogicTest, CloseIsRefusedWhileUpdatingAndOtherTimersAreIgnored) {
  DialogLogic logic(record);
  logic.OnInitDialog(platform.view);
  NewViewLines();
  record.m_bUpdating = 1;
  EXPECT_FALSE(logic.OnCloseRequest());
  record.m_bUpdating = 0;
  EXPECT_TRUE(logic.OnCloseRequest());
  logic.OnTimer(kUpdateTimerId + 1);
  EXPECT_TRUE(NewViewLines().empty());
  logic.OnRepaint();  // no camera: the run is finished
  EXPECT_EQ(NewViewLines(), std::vector<std::string>{"BITMAP 134"});
  record.m_bFinished = 0;
  record.m_nState = kStateWorkingSeen;
  logic.OnRepaint();
  EXPECT_TRUE(NewViewLines().empty());
}

}  // namespace
}  // namespace ostrel
