// Chip vendor 2 needs no update: the run ends as up to date.
#include "engines/engines.h"
#include "engines/run_ending.h"
#include "update_record.h"

namespace ostrel {

uint32_t SkipUpdateForR(CVarnelCameraDlg& record) {
  // The status text comes first: once progress is 100 the run may end and free the record.
  record.SetStatus(u"NoNeed to update for R!");
  EndRun(record, Ending::kNothingToDo, 100);
  return 0;
}

}  // namespace ostrel
