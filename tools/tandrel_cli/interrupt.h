// Ctrl-C as a request to stop at the next safe point instead of ending the process at once.
#pragma once

namespace cli {

// From now on Ctrl-C only sets the flag Interrupted() reads.
void CatchInterrupts();
bool Interrupted();

}  // namespace cli
