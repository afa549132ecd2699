// The time limits of the tests are set for a machine that runs their programs natively. Where
// they run slower (the virtual machine of scripts/test-win32.sh), the build gives each test
// OSTREL_TEST_TIME_SCALE in its environment, and every limit is multiplied by it.
#pragma once

#include <cstdlib>

namespace ostrel::testing {

inline unsigned long ScaledLimitMs(unsigned long milliseconds) {
  const char* scale = std::getenv("OSTREL_TEST_TIME_SCALE");
  const unsigned long factor = scale != nullptr ? std::strtoul(scale, nullptr, 10) : 1;
  return milliseconds * (factor > 0 ? factor : 1);
}

}  // namespace ostrel::testing
