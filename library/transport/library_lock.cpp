#include "transport/library_lock.h"

namespace tandrel {

std::recursive_mutex& LibraryLock() {
  static std::recursive_mutex* const lock = new std::recursive_mutex;
  return *lock;
}

}  // namespace tandrel
