// A program folder with a bin folder, the fake platform over it, and helpers to place
// cameras, configuration files and images, for tests that drive the update record.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "fake_platform.h"
#include "update_record.h"

namespace ostrel::testing {

// The UTF-16LE bytes of a text, as the update log stores it.
std::string Utf16Le(const std::u16string& text);

// The log of a run: byte-order mark and the banner of the fake's local time, then the lines.
std::string LogOf(std::initializer_list<std::u16string> lines);

// One USB camera as both device lists show it: a lower-case video device path and a
// setup entry with an upper-case instance id that the path holds, each "\" written "#".
struct TestCamera {
  std::string devicePath;
  SetupDevice setupEntry;
};
TestCamera UsbCamera(uint16_t vid, uint16_t pid, uint16_t release, const std::string& piece);

// A ZEL image whose version text at 0x253 is the given four characters, with its device
// descriptor (length 18, type 1) at 0x4020.
std::string ZelImage(const char* version, size_t size = 0x4100);

class UpdaterTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  void AddCamera(const TestCamera& camera);
  // pid.ini from lines joined with CRLF, in the ANSI code page.
  void WritePidIni(std::initializer_list<const char*> lines) const;
  void WriteBinFile(const std::u16string& name, const std::string& bytes) const;
  std::string Log() const { return dir.ReadFile(u"bin/Ostrel_sp.log"); }
  std::u16string Setting(const std::u16string& key) const;

  // The record after a silent, or a windowed, initialisation step.
  void InitSilent();
  void InitWindowed();
  // The dialog operations recorded since the last call.
  std::vector<std::string> NewViewLines();

  ScratchDir dir;
  FakePlatform platform{dir};
  CVarnelCameraDlg record{platform};

 private:
  size_t viewLinesSeen_ = 0;
};

}  // namespace ostrel::testing
