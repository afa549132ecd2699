// The library lock: one process-wide recursive mutex around every control exchange and every
// access to the current device. Recursive because some exports call others while holding it.
#pragma once

#include <mutex>

namespace tandrel {

// Created on first use (once, also when several threads arrive together) and never destroyed,
// so that a thread still inside the library while the process exits finds it intact.
std::recursive_mutex& LibraryLock();

using LibraryHold = std::lock_guard<std::recursive_mutex>;

}  // namespace tandrel
