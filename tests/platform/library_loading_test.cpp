// How the updater loads a library by full path, through stand-ins for the two system loaders:
// the restricted search first, the plain load of the same full path only where the system
// refuses the search flags (Windows 7 without them), never a bare name.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/win32_platform.h"

namespace ostrel::win32 {
namespace {

const std::wstring kPath = L"C:\\Program Files\\Ostrel\\Tandrel.dll";
const HMODULE kRestricted = reinterpret_cast<HMODULE>(0x10000);
const HMODULE kPlain = reinterpret_cast<HMODULE>(0x20000);

// What the stand-ins answer, and every call they saw.
struct Loaders {
  HMODULE restrictedResult = nullptr;
  DWORD restrictedError = ERROR_SUCCESS;
  HMODULE plainResult = nullptr;
  std::vector<std::wstring> calls;
};
Loaders g_loaders;

HMODULE WINAPI RestrictedLoad(LPCWSTR path, HANDLE file, DWORD flags) {
  g_loaders.calls.push_back(L"LoadLibraryExW " + std::wstring(path) +
                            (file == nullptr ? L" " : L" file ") + std::to_wstring(flags));
  SetLastError(g_loaders.restrictedError);
  return g_loaders.restrictedResult;
}

HMODULE WINAPI PlainLoad(LPCWSTR path) {
  g_loaders.calls.push_back(L"LoadLibraryW " + std::wstring(path));
  return g_loaders.plainResult;
}

TEST(LibraryLoading, FullPathWithRestrictedSearchElsePlainOnlyWhereFlagsAreRefused) {
  const std::wstring restricted = L"LoadLibraryExW " + kPath + L" " +
                                  std::to_wstring(LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR |
                                                  LOAD_LIBRARY_SEARCH_SYSTEM32);
  const std::wstring plain = L"LoadLibraryW " + kPath;
  struct Case {
    const char* name;
    HMODULE restrictedResult;
    DWORD restrictedError;
    HMODULE plainResult;
    HMODULE expected;
    std::vector<std::wstring> calls;
  };
  const Case cases[] = {
      {"flags known", kRestricted, ERROR_SUCCESS, kPlain, kRestricted, {restricted}},
      {"flags refused", nullptr, ERROR_INVALID_PARAMETER, kPlain, kPlain, {restricted, plain}},
      {"flags refused, library missing", nullptr, ERROR_INVALID_PARAMETER, nullptr, nullptr,
       {restricted, plain}},
      {"library missing", nullptr, ERROR_MOD_NOT_FOUND, kPlain, nullptr, {restricted}},
      {"an import missing", nullptr, ERROR_PROC_NOT_FOUND, kPlain, nullptr, {restricted}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    g_loaders = Loaders{c.restrictedResult, c.restrictedError, c.plainResult, {}};
    EXPECT_EQ(LoadLibraryAtPath(kPath, RestrictedLoad, PlainLoad), c.expected);
    EXPECT_EQ(g_loaders.calls, c.calls);
  }
}

TEST(LibraryLoading, SystemLoadersLoadALibraryByFullPath) {
  wchar_t system[MAX_PATH] = {};
  ASSERT_NE(GetSystemDirectoryW(system, MAX_PATH), 0u);
  const HMODULE module = LoadLibraryAtPath(std::wstring(system) + L"\\version.dll");
  EXPECT_NE(module, nullptr);
  if (module != nullptr) FreeLibrary(module);
}

}  // namespace
}  // namespace ostrel::win32
