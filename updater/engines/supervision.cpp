// The supervision thread of the windowed run: a spinner while the engine works, the burn
// time limit, and the picture, texts and log line of the ending.
#include "engines/engines.h"
#include "engines/run_ending.h"
#include "update_record.h"
#include "wide_format.h"

namespace ostrel {
namespace {

constexpr uint32_t kCyclePeriodMs = 200;
// More cycles than this (about 180 s) and the burn is declared failed.
constexpr int kCycleLimit = 900;

constexpr std::u16string_view kSpinner[] = {u"%d%% \\", u"%d%% --", u"%d%% /", u"%d%% |"};

struct Milestone {
  uint8_t percent;
  std::u16string_view line;
};

constexpr Milestone kMilestones[kMilestoneCount] = {
    {25, u"Updating...25%%\r\n"}, {50, u"Updating...50%%\r\n"}, {75, u"Updating...75%%\r\n"}};

void LogMilestones(CVarnelCameraDlg& record, uint8_t progress) {
  for (int i = 0; i < kMilestoneCount; ++i) {
    if (progress >= kMilestones[i].percent && g_bMilestoneLogged[i].exchange(1) == 0) {
      record.WriteLog(kMilestones[i].line);
    }
  }
}

std::u16string_view MissingLibraryText(int32_t vendor) {
  switch (vendor) {
    case 1:
      return u"SunplusCamera.dll missing!";
    case 2:
      return u"RvcLib.dll missing!";
    case 3:
      return u"BurnerApLib.dll, st50220.dll missing!";
    default:
      return {};
  }
}

void EndSupervision(CVarnelCameraDlg& record) {
  if (record.m_bFinished == 1) {
    record.ShowStateBitmap(kBmpNothingDone);
  } else {
    switch (record.m_nState) {
      case kStateFailed:
        record.ShowStateBitmap(kBmpFailure);
        record.SetStatus(u"Please re-open me!");
        record.WriteLog(u"**Update fail!\r\n");
        break;
      case kStateLibraryMissing: {
        record.ShowStateBitmap(kBmpFailure);
        const std::u16string_view text = MissingLibraryText(record.m_nChipVendor);
        if (!text.empty()) record.SetStatus(std::u16string(text));
        record.WriteLog(u"**DLL missing!\r\n");
        break;
      }
      default:
        record.m_nState = kStateFinished;
        record.ShowStateBitmap(kBmpSuccess);
        record.SetStatus(u"Update finish!");
        record.WriteLog(u"**Update Success!\r\n");
        break;
    }
    const int progress = record.m_nProgress;
    record.SetControlText(kCtlProgressText, FormatWide(u"%d%%", {progress}));
    record.SetProgressPosition(progress);
  }
  record.EnableClose(true);
  // Last: once the update is no longer running the window may close and free the record.
  record.m_bUpdating = 0;
}

}  // namespace

uint32_t SuperviseUpdate(CVarnelCameraDlg& record) {
  Platform& platform = record.platform();
  int cycles = 0;
  unsigned spinner = 0;
  while (record.m_nProgress < 100) {
    ++cycles;
    const uint8_t progress = record.m_nProgress;
    LogMilestones(record, progress);
    if (record.m_bFinished == 1) break;
    const uint8_t state = record.m_nState;
    if (state == kStateFailed || state == kStateLibraryMissing) {
      record.ShowStateBitmap(kBmpFailure);
      break;
    }
    record.ShowStateBitmap(kBmpWorking);
    ++spinner;
    record.SetControlText(kCtlProgressText, FormatWide(kSpinner[spinner % 4], {int{progress}}));
    record.SetProgressPosition(progress);
    uint8_t working = kStateEngineWorking;
    record.m_nState.compare_exchange_strong(working, kStateWorkingSeen);
    if (cycles > kCycleLimit) {
      record.WriteLog(u"**Burning Timeout!\r\n");
      // The same outcome as the silent run's give-up, so a script sees the windowed
      // time-out as a failure too.
      EndRun(record, Ending::kTimedOut);
      break;
    }
    platform.SleepMs(kCyclePeriodMs);
  }
  EndSupervision(record);
  return 0;
}

}  // namespace ostrel
