// The update step, run once when a camera and its firmware were accepted.
#include "update_record.h"

namespace ostrel {

void CVarnelCameraDlg::StartUpdate() { KillUpdateTimer(); }

}  // namespace ostrel
