#include "platform/win32/win32_platform.h"

#include <windows.h>
// The C runtime's thread start follows windows.h.
#include <process.h>

#include <cerrno>
#include <system_error>

#include "fs/file_io.h"
#include "platform/host_platform.h"
#include "platform/win32/wide.h"

namespace ostrel::win32 {
namespace {

const wchar_t kInstanceMutexName[] = L"{4EA0B404-1820-4adf-98A9-F3B6F8E05F8C}";

class Win32File : public ReadableFile {
 public:
  explicit Win32File(HANDLE handle) : handle_(handle) {}
  ~Win32File() override { CloseHandle(handle_); }
  std::optional<uint64_t> Size() override {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(handle_, &size)) return std::nullopt;
    return static_cast<uint64_t>(size.QuadPart);
  }
  uint32_t Read(uint8_t* buffer, uint32_t length) override {
    DWORD got = 0;
    if (!ReadFile(handle_, buffer, length, &got, nullptr)) return 0;
    return got;
  }

 private:
  HANDLE handle_;
};

class Win32Library : public LoadedLibrary {
 public:
  explicit Win32Library(HMODULE module) : module_(module) {}
  // Never freed: a library's threads or callbacks may outlive the engine that loaded it.
  ~Win32Library() override = default;
  void* Symbol(const char* name) override {
    return reinterpret_cast<void*>(GetProcAddress(module_, name));
  }

 private:
  HMODULE module_;
};

// The procedure of every thread StartThread starts: runs its work and frees it. An exception
// that escapes the work ends the program, as it would on a std::thread.
unsigned __stdcall RunThreadWork(void* parameter) noexcept {
  const std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(parameter));
  (*work)();
  return 0;
}

}  // namespace

HMODULE LoadLibraryAtPath(const std::wstring& fullPath, LoadLibraryExFunction loadEx,
                          LoadLibraryFunction load) {
  const HMODULE module = loadEx(fullPath.c_str(), nullptr,
                                LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module != nullptr || GetLastError() != ERROR_INVALID_PARAMETER) return module;
  return load(fullPath.c_str());
}

bool Win32Platform::AcquireSingleInstance() {
  // Held until the process ends; a second instance sees that it already existed.
  const HANDLE mutex = CreateMutexW(nullptr, FALSE, kInstanceMutexName);
  return !(mutex != nullptr && GetLastError() == ERROR_ALREADY_EXISTS);
}

std::u16string Win32Platform::ProgramFilePath() {
  std::wstring buffer(32768, L'\0');
  const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  if (length == 0 || length >= buffer.size()) return {};
  return FromWide(buffer.data(), length);
}

void Win32Platform::DebugOutput(const std::u16string& line) { OutputDebugStringW(Wide(line).c_str()); }

void Win32Platform::StartThread(std::function<void()> work) {
  // A runtime thread whose handle is closed at once, not a detached std::thread. The
  // toolchain's thread library recycles the record of a thread detached after its work has
  // returned for the next thread it starts, while the old thread, still on its way out, then
  // clears that record: the new thread runs no work, or crashes. A short engine (vendor 2, a
  // missing library) followed at once by the supervision hit this in 7 of 100 windowed runs
  // under Wine, and a run whose supervision never runs refuses Close for ever.
  auto owned = std::make_unique<std::function<void()>>(std::move(work));
  const uintptr_t thread = _beginthreadex(nullptr, 0, RunThreadWork, owned.get(), 0, nullptr);
  if (thread == 0) throw std::system_error(errno, std::generic_category(), "cannot start a thread");
  owned.release();  // the thread frees it
  CloseHandle(reinterpret_cast<HANDLE>(thread));
}

void Win32Platform::SleepMs(uint32_t milliseconds) { Sleep(milliseconds); }

uint64_t Win32Platform::MonotonicMs() { return GetTickCount64(); }

std::tm Win32Platform::LocalTime() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  std::tm local{};
  local.tm_year = now.wYear - 1900;
  local.tm_mon = now.wMonth - 1;
  local.tm_mday = now.wDay;
  local.tm_hour = now.wHour;
  local.tm_min = now.wMinute;
  local.tm_sec = now.wSecond;
  local.tm_wday = now.wDayOfWeek;
  return local;
}

uint32_t Win32Platform::GetProfileSectionNames(const std::u16string& path, char16_t* buffer,
                                               uint32_t size) {
  return GetPrivateProfileSectionNamesW(reinterpret_cast<wchar_t*>(buffer), size,
                                        Wide(path).c_str());
}

uint32_t Win32Platform::ReadProfileString(const std::u16string& path, const std::u16string& section,
                                         const std::u16string& key,
                                         const std::u16string& defaultValue, char16_t* buffer,
                                         uint32_t size) {
  return GetPrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(),
                                  Wide(defaultValue).c_str(), reinterpret_cast<wchar_t*>(buffer),
                                  size, Wide(path).c_str());
}

bool Win32Platform::WriteProfileValue(const std::u16string& path, const std::u16string& section,
                                       const std::u16string& key, const std::u16string& value) {
  return WritePrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(), Wide(value).c_str(),
                                    Wide(path).c_str()) != FALSE;
}

std::unique_ptr<ReadableFile> Win32Platform::OpenFileForReading(const std::u16string& path) {
  const HANDLE handle = CreateFileW(Wide(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  // Only a file on disk: a pipe or a device would block the reader or never end.
  if (GetFileType(handle) != FILE_TYPE_DISK) {
    CloseHandle(handle);
    return nullptr;
  }
  return std::make_unique<Win32File>(handle);
}

bool Win32Platform::WriteWholeFile(const std::u16string& path, const std::string& bytes) {
  return fs::WriteWholeFile(path, bytes);
}

std::vector<std::string> Win32Platform::VideoDevicePaths() { return ListVideoInputDevicePaths(); }

std::optional<std::vector<SetupDevice>> Win32Platform::SetupDevices() {
  return ListSetupDevices();
}

std::shared_ptr<void> Win32Platform::OpenDeviceHandle(const std::string& devicePath,
                                                      std::u16string& refusal) {
  return BindVideoInputDevice(devicePath, refusal);
}

std::unique_ptr<LoadedLibrary> Win32Platform::LoadProgramLibrary(const std::u16string& fileName) {
  // Always a full path in the program's folder, never a bare name: a planted DLL in the
  // working folder or PATH is never loaded in its place.
  const std::u16string program = ProgramFilePath();
  const std::u16string path = program.substr(0, program.find_last_of(u'\\') + 1) + fileName;
  const HMODULE module = LoadLibraryAtPath(Wide(path));
  if (module == nullptr) return nullptr;
  return std::make_unique<Win32Library>(module);
}

bool Win32Platform::RunDialog(DialogHandler& handler) { return RunResourceDialog(handler); }

void Win32Platform::EndProcessNow(int exitCode) { ExitProcess(static_cast<UINT>(exitCode)); }

}  // namespace ostrel::win32

namespace ostrel {

std::unique_ptr<Platform> CreateHostPlatform() { return std::make_unique<win32::Win32Platform>(); }

}  // namespace ostrel
