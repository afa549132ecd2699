// A simulated world of the test's own: simcam.ini in a scratch folder, put in use for the
// library's simulated transport, with its trace read back line by line.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scratch_dir.h"

namespace tandrel::testing {

constexpr char kZelPath[] =
    "\\\\?\\usb#vid_0408&pid_2040&mi_00#6&2e3f1c7e&0&0000#{65e8773d-8f56-11d0-a3b9-00a0c9223196}"
    "\\global";

// A [CameraN] section of a zel camera (or the given model) with extra keys, one per line.
std::string CameraSection(int number, const std::string& devicePath,
                          const std::string& extraKeys = "", const std::string& model = "zel");

// True when another thread can take the library lock: no export left a hold behind.
bool LibraryLockIsFree();

// 64 payload bytes in lower-case hex: the given leading hex digits, zero-padded.
std::string Payload(const std::string& leadingHex);

class SimWorldTest : public ::testing::Test {
 protected:
  void TearDown() override;

  // Writes the world (TimeScale 0.001, Trace=trace.log, then sections) and puts it in use.
  void UseWorld(const std::string& sections, const std::string& worldKeys = "");
  std::vector<std::string> Trace() const;
  // Trace lines of one operation ("SET", "GET", "LEN").
  std::vector<std::string> TraceOf(const std::string& op) const;

  ostrel::testing::ScratchDir dir_;
};

}  // namespace tandrel::testing
