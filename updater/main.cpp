// Process entry of Ostrel on each platform: hands the command line after the program name
// to the application object and returns its outcome as the exit code.
#include <memory>
#include <string>

#include "app.h"

#ifdef _WIN32
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
  const std::wstring wide = commandLine != nullptr ? commandLine : L"";
  const auto platform = ostrel::CreatePlatform();
  return ostrel::CVarnelCameraApp(*platform).Run(std::u16string(wide.begin(), wide.end()));
}
#else
#include "text/utf16.h"

int main(int argc, char** argv) {
  std::string commandLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) commandLine += ' ';
    commandLine += argv[i];
  }
  const auto platform = ostrel::CreatePlatform();
  return ostrel::CVarnelCameraApp(*platform).Run(text::Utf8ToUtf16(commandLine));
}
#endif
