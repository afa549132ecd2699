#include "engines/run_ending.h"

#include "update_record.h"

namespace ostrel {
namespace {

struct EndingValues {
  int32_t code;
  uint8_t state;  // kStateIdle for an ending that marks nothing done instead
};

EndingValues ValuesOf(Ending ending) {
  switch (ending) {
    case Ending::kUpdated: return {kOutcomeSuccess, kStateFinished};
    case Ending::kNothingToDo: return {kOutcomeSuccess, kStateIdle};
    case Ending::kFailed: return {kOutcomeUpdateFailed, kStateFailed};
    case Ending::kLibraryMissing: return {kOutcomeUpdateFailed, kStateLibraryMissing};
    case Ending::kNoMatchingPart: return {kOutcomeNoFirmware, kStateFailed};
    case Ending::kTimedOut: return {kOutcomeSilentTimeout, kStateFailed};
  }
  return {kOutcomeUpdateFailed, kStateFailed};
}

}  // namespace

void EndRun(CVarnelCameraDlg& record, Ending ending, std::optional<uint8_t> progress) {
  const EndingValues values = ValuesOf(ending);
  g_nExitCode = values.code;
  if (ending == Ending::kNothingToDo) {
    record.m_bFinished = 1;
  } else {
    record.m_nState = values.state;
  }
  if (progress) record.m_nProgress = *progress;
}

}  // namespace ostrel
