#include "program_start.h"

namespace {

// The program's folder: the part of its path before the last backslash.
std::wstring FolderOf(const std::wstring& path) {
  const size_t cut = path.find_last_of(L"\\/");
  return cut == std::wstring::npos ? L"." : path.substr(0, cut);
}

}  // namespace

bool StartInItsFolder(const std::wstring& program, PROCESS_INFORMATION& process) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  process = PROCESS_INFORMATION{};
  std::wstring commandLine = L"\"" + program + L"\"";
  return CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        FolderOf(program).c_str(), &startup, &process) != FALSE;
}
