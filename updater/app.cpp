#include "app.h"

#include "dialog_logic.h"
#include "wide_format.h"

namespace ostrel {

bool IsSilentCommandLine(std::u16string_view commandLine) {
  return commandLine.size() >= 2 && commandLine[0] == u'-' && commandLine[1] == u's';
}

void PollEngine(CVarnelCameraDlg& record, Platform& platform) {
  if (!g_bEngineRunning || record.m_nProgress >= 100) return;
  for (int polls = 1;; ++polls) {
    platform.DebugOutput(FormatWide(u"complete rate=0x%04x", {unsigned{record.StateAndProgress()}}));
    platform.SleepMs(kSilentPollPeriodMs);
    const uint8_t state = record.m_nState;
    if (state == kStateFailed || state == kStateLibraryMissing) {
      g_nExitCode = kOutcomeUpdateFailed;
      return;
    }
    if (polls > kSilentPollLimit) {
      g_nExitCode = kOutcomeSilentTimeout;
      return;
    }
    if (record.m_nProgress >= 100) return;
  }
}

bool CVarnelCameraApp::EngineMayStillRun(const CVarnelCameraDlg& record) {
  return g_bEngineRunning && record.m_nProgress < 100;
}

void CVarnelCameraApp::RunSilent(CVarnelCameraDlg& record) {
  g_bShowWindow = 0;
  record.InitSession(nullptr);
  if (g_bReadyToUpdate) record.StartUpdate();
  PollEngine(record, platform_);
}

int CVarnelCameraApp::Run(std::u16string_view commandLine) {
  if (!platform_.AcquireSingleInstance()) return kOutcomeSuccess;
  auto record = std::make_unique<CVarnelCameraDlg>(platform_);
  if (IsSilentCommandLine(commandLine)) {
    RunSilent(*record);
  } else {
    DialogLogic logic(*record);
    if (!platform_.RunDialog(logic)) {
      // Ending here would report success for an update never made: run it unseen instead.
      platform_.DebugOutput(u"Ostrel: no window could be made, the run goes on as a silent one");
      RunSilent(*record);
    }
  }
  // An engine that has reported its end may still be storing its last values, and the
  // supervision may be drawing its last frame: let them return before the record goes.
  if (EngineMayStillRun(*record) || !record->WaitForRecordThreads(kThreadEndWaitMs)) {
    // A thread still uses the record: end without freeing it under the thread.
    record->m_pLogFile.Close();
    platform_.EndProcessNow(g_nExitCode);
  }
  record.reset();
  return g_nExitCode;
}

}  // namespace ostrel
