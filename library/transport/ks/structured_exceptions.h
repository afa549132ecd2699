// Calls into a capture filter that may raise a structured exception (a stale filter, a
// faulting driver): GCC has no __try/__except, and a C++ catch never sees such an exception,
// so the call runs under a handler frame of its own that turns an error exception into a
// failed call instead of the end of the host process.
#pragma once

#include <type_traits>

namespace tandrel::ks {

// Runs work(context). False when an exception of error severity (an access violation, an
// illegal instruction, a foreign C++ exception, ...) left it unhandled: the frames below are
// unwound as for __except and the rest of work is skipped, so work must own nothing that needs
// destroying. Exceptions of lower severity (debug output, breakpoints) pass on unchanged.
bool RunGuarded(void (*work)(void*), void* context);

template <typename Work>
bool RunGuarded(Work&& work) {
  return RunGuarded([](void* context) { (*static_cast<std::remove_reference_t<Work>*>(context))(); },
                    &work);
}

}  // namespace tandrel::ks
