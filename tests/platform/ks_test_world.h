// The world of a kernel-streaming test: one ZEL camera on USB, with the given camera and world
// keys, its world clock a hundred times as fast; and the folder of a named run.
#pragma once

#include <filesystem>
#include <string>

#include "library_run.h"

namespace platform_test {

inline World OneZelCamera(const std::string& cameraKeys = "", const std::string& worldKeys = "") {
  const std::string path =
      R"(\\?\usb#vid_0408&pid_2040&mi_00#6&2e3f1c7e&0&0000#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\global)";
  return World{"[World]\r\nTimeScale=0.01\r\n" + worldKeys +
                   "\r\n[Camera1]\r\nModel=zel\r\nDevicePath=" + path + "\r\n" + cameraKeys,
               {path},
               {}};
}

inline std::filesystem::path KsRunFolder(const std::string& name) {
  return std::filesystem::path(PLATFORM_TEST_RUNS) / name;
}

}  // namespace platform_test
