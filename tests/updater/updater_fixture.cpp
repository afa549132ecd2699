#include "updater_fixture.h"

#include <cstdio>

#include "ini/profile_file.h"
#include "text/utf16.h"

namespace ostrel::testing {

std::string Utf16Le(const std::u16string& text) { return text::Utf16ToLeBytes(text); }

std::string LogOf(std::initializer_list<std::u16string> lines) {
  std::string log = "\xFF\xFE" + Utf16Le(u"===================================14:03:59 (12/06)=======\r\n");
  for (const auto& line : lines) log += Utf16Le(line);
  return log;
}

TestCamera UsbCamera(uint16_t vid, uint16_t pid, uint16_t release, const std::string& piece) {
  char path[256];
  std::snprintf(path, sizeof path,
                "\\\\?\\usb#vid_%04x&pid_%04x&mi_00#6&%s&0&0000#{65e8773d-8f56-11d0-a3b9-"
                "00a0c9223196}\\global",
                vid, pid, piece.c_str());
  std::string upperPiece = piece;
  for (char& c : upperPiece) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  char instance[128];
  std::snprintf(instance, sizeof instance, "USB\\VID_%04X&PID_%04X&MI_00\\6&%s&0&0000", vid, pid,
                upperPiece.c_str());
  char hardware[128];
  std::snprintf(hardware, sizeof hardware, "USB\\VID_%04X&PID_%04X&REV_%04X&MI_00", vid, pid,
                release);
  return {path, {text::Utf8ToUtf16(instance), text::Utf8ToUtf16(hardware)}};
}

std::string ZelImage(const char* version, size_t size) {
  std::string image(size, '\0');
  image.replace(0x253, 4, version);
  image[0x4020] = 18;
  image[0x4021] = 1;
  return image;
}

void UpdaterTest::SetUp() {
  ResetProgramValues();
  dir.MakeFolder(u"bin");
}

void UpdaterTest::TearDown() {
  platform.JoinThreads();
  ResetProgramValues();
}

void UpdaterTest::AddCamera(const TestCamera& camera) {
  platform.videoDevicePaths.push_back(camera.devicePath);
  platform.setupDevices->push_back(camera.setupEntry);
}

void UpdaterTest::WritePidIni(std::initializer_list<const char*> lines) const {
  std::string text;
  for (const char* line : lines) text += std::string(line) + "\r\n";
  dir.WriteFile(u"pid.ini", text);
}

void UpdaterTest::WriteBinFile(const std::u16string& name, const std::string& bytes) const {
  dir.WriteFile(u"bin/" + name, bytes);
}

std::u16string UpdaterTest::Setting(const std::u16string& key) const {
  return profile::GetString(dir.File(u"bin/Ostrel_sp.ini"), u"SETTING", key, u"<none>");
}

void UpdaterTest::InitSilent() {
  g_bShowWindow = 0;
  record.InitSession(nullptr);
}

void UpdaterTest::InitWindowed() {
  g_bShowWindow = 1;
  record.InitSession(&platform.view);
}

std::vector<std::string> UpdaterTest::NewViewLines() {
  const std::vector<std::string> all = platform.view.Lines();
  std::vector<std::string> fresh(all.begin() + static_cast<std::ptrdiff_t>(viewLinesSeen_), all.end());
  viewLinesSeen_ = all.size();
  return fresh;
}

}  // namespace ostrel::testing
