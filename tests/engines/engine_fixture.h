// An update record over the fake platform, ready for an engine to run on: program folder with
// a bin folder, the update log open, a 128 KiB image buffer, the silent run.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "fake_platform.h"
#include "text/utf16.h"
#include "update_record.h"

namespace ostrel::testing {

class EngineTest : public ::testing::Test {
 protected:
  // Also called again inside table-driven tests: every run starts from the same record.
  void SetUp() override {
    ResetProgramValues();
    g_bShowWindow = 0;
    if (!dir.Exists(u"bin")) dir.MakeFolder(u"bin");
    const std::u16string& appDir = dir.Path();
    std::copy(appDir.begin(), appDir.end(), record.m_szAppDir);
    record.m_strSettingIni = dir.File(u"bin/Ostrel_sp.ini");
    dir.WriteFile(u"bin/Ostrel_sp.ini", "");
    record.m_pLogFile.Close();
    record.m_pLogFile.Open(dir.File(u"bin/Ostrel_sp.log"));
    logStart_ = dir.ReadFile(u"bin/Ostrel_sp.log").size();
    record.m_pImage = std::make_unique<uint8_t[]>(kImageBufferBytes);
    record.m_nImageSize = 0;
    record.m_bMultiImage = 0;
    record.m_bFinished = 0;
    record.m_nProgress = 0;
    record.m_nState = kStateStarted;
    g_nExitCode = -1;
  }
  void TearDown() override { ResetProgramValues(); }

  // What the run wrote to the log, as UTF-16LE bytes.
  std::string LogLines() const { return dir.ReadFile(u"bin/Ostrel_sp.log").substr(logStart_); }
  static std::string Utf16(const std::u16string& text) { return text::Utf16ToLeBytes(text); }

  void ExpectOutcome(uint8_t state, uint8_t progress, int32_t code) const {
    EXPECT_EQ(record.m_nState, state);
    EXPECT_EQ(record.m_nProgress, progress);
    EXPECT_EQ(g_nExitCode, code);
  }
  std::u16string Setting(const std::u16string& key) {
    char16_t value[kNameChars] = {};
    platform.ReadProfileString(record.m_strSettingIni, u"SETTING", key, u"<none>", value,
                               kNameChars);
    return value;
  }
  // Part n loaded as the configuration step loads it, under the file name.
  static void LoadPart(int n, const std::u16string& name, const std::vector<uint8_t>& bytes) {
    std::copy(name.begin(), name.end(), g_szPartBinName[n]);
    g_pPartImage[n] = std::make_unique<uint8_t[]>(kPartImageBytes);
    std::copy(bytes.begin(), bytes.end(), g_pPartImage[n].get());
    g_nPartImageSize[n] = static_cast<int32_t>(bytes.size());
  }

  ScratchDir dir;
  FakePlatform platform{dir};
  CVarnelCameraDlg record{platform};

 private:
  size_t logStart_ = 0;
};

}  // namespace ostrel::testing
