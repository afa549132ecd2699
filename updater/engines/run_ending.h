// How an update run ends. Every engine and the supervision end a run through EndRun, which
// stores the outcome code first, then the state (or that nothing was done), then the progress:
// the silent run ends as soon as it sees progress 100 and returns the code it reads then, and
// whoever sees progress 100 must already find the state that tells a failure from a success.
#pragma once

#include <cstdint>
#include <optional>

namespace ostrel {

class CVarnelCameraDlg;

enum class Ending {
  kUpdated,         // code 0, state 23 (finished)
  kNothingToDo,     // code 0, nothing done (up to date, or nothing to burn)
  kFailed,          // code 5, state 24
  kLibraryMissing,  // code 5, state 26
  kNoMatchingPart,  // code 2, state 24: no part image fits the camera
  kTimedOut,        // code 6, state 24: the burn time limit ran out
};

// Progress is stored only when given: an ending that leaves it keeps what the last step set.
void EndRun(CVarnelCameraDlg& record, Ending ending, std::optional<uint8_t> progress = std::nullopt);

}  // namespace ostrel
