#include "world/module_path.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include "text/utf16.h"

namespace sim {

std::u16string HostModulePath() {
#ifdef _WIN32
  HMODULE module = nullptr;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                              GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          reinterpret_cast<LPCWSTR>(&HostModulePath), &module)) {
    return {};
  }
  wchar_t buffer[MAX_PATH * 4];
  const DWORD length = GetModuleFileNameW(module, buffer, static_cast<DWORD>(std::size(buffer)));
  return std::u16string(buffer, buffer + length);
#else
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&HostModulePath), &info) == 0 || info.dli_fname == nullptr) {
    return {};
  }
  return text::Utf8ToUtf16(info.dli_fname);
#endif
}

char16_t PathSeparator() {
#ifdef _WIN32
  return u'\\';
#else
  return u'/';
#endif
}

std::u16string FolderOf(const std::u16string& path) {
  const size_t cut = path.find_last_of(u"/\\");
  return cut == std::u16string::npos ? std::u16string(u".") : path.substr(0, cut);
}

}  // namespace sim
