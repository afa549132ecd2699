#include "dialog_logic.h"

namespace ostrel {

int RepaintBitmap(int32_t finished, uint8_t state) {
  if (finished == 1) return kBmpNothingDone;
  switch (state) {
    case kStateStarted:
      return kBmpStarted;
    case kStateEngineWorking:
      return kBmpWorking;
    case kStateFinished:
      return kBmpSuccess;
    case kStateFailed:
      return kBmpFailure;
    default:
      return 0;
  }
}

void DialogLogic::OnInitDialog(DialogView& view) { record_.InitSession(&view); }

void DialogLogic::OnTimer(int timerId) {
  if (timerId == kUpdateTimerId) record_.StartUpdate();
}

bool DialogLogic::OnCloseRequest() { return record_.m_bUpdating == 0; }

void DialogLogic::OnRepaint() {
  const int bitmap = RepaintBitmap(record_.m_bFinished, record_.m_nState);
  if (bitmap != 0) record_.ShowStateBitmap(bitmap);
}

}  // namespace ostrel
