#include "platform/linux/linux_platform.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <thread>

#include "fs/file_io.h"
#include "ini/profile_file.h"
#include "platform/linux/sysfs_devices.h"
#include "platform/linux/terminal_dialog.h"
#include "platform/linux/window_dialog.h"
#include "text/utf16.h"

namespace ostrel::linux_platform {
namespace {

class StdioFile : public ReadableFile {
 public:
  explicit StdioFile(std::FILE* file) : file_(file) {}
  ~StdioFile() override { std::fclose(file_); }
  std::optional<uint64_t> Size() override {
    const long here = std::ftell(file_);
    if (here < 0 || std::fseek(file_, 0, SEEK_END) != 0) return std::nullopt;
    const long size = std::ftell(file_);
    std::fseek(file_, here, SEEK_SET);
    if (size < 0) return std::nullopt;
    return static_cast<uint64_t>(size);
  }
  uint32_t Read(uint8_t* buffer, uint32_t length) override {
    return static_cast<uint32_t>(std::fread(buffer, 1, length, file_));
  }

 private:
  std::FILE* file_;
};

class SharedObject : public LoadedLibrary {
 public:
  explicit SharedObject(void* handle) : handle_(handle) {}
  // Never unloaded: a library's threads or callbacks may outlive the engine that loaded it.
  ~SharedObject() override = default;
  void* Symbol(const char* name) override { return dlsym(handle_, name); }

 private:
  void* handle_;
};

}  // namespace

std::string SharedObjectName(const std::u16string& windowsFileName) {
  std::string name = text::Utf16ToUtf8(windowsFileName);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  for (char& c : name) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return "lib" + name + ".so";
}

LinuxPlatform::LinuxPlatform(std::string sysfsRoot) : sysfsRoot_(std::move(sysfsRoot)) {}

LinuxPlatform::~LinuxPlatform() {
  if (lockFd_ >= 0) close(lockFd_);
}

bool LinuxPlatform::AcquireSingleInstance() {
  // A lock file beside the program; the lock goes with the process, however it ends.
  const std::string path = text::Utf16ToUtf8(ProgramFilePath()) + ".lock";
  lockFd_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (lockFd_ < 0) return true;  // a read-only folder must not stop the update
  return flock(lockFd_, LOCK_EX | LOCK_NB) == 0;
}

std::u16string LinuxPlatform::ProgramFilePath() {
  char buffer[4096];
  const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer);
  if (length <= 0 || static_cast<size_t>(length) >= sizeof buffer) return {};
  return text::Utf8ToUtf16(std::string(buffer, static_cast<size_t>(length)));
}

void LinuxPlatform::DebugOutput(const std::u16string& line) {
  // One line each: a text that brings its own line end gets no second one.
  const std::string text = text::Utf16ToUtf8(line);
  std::fprintf(stderr, text.empty() || text.back() != '\n' ? "%s\n" : "%s", text.c_str());
}

void LinuxPlatform::StartThread(std::function<void()> work) { std::thread(std::move(work)).detach(); }

void LinuxPlatform::SleepMs(uint32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

uint64_t LinuxPlatform::MonotonicMs() {
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count());
}

std::tm LinuxPlatform::LocalTime() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local;
}

uint32_t LinuxPlatform::GetProfileSectionNames(const std::u16string& path, char16_t* buffer,
                                               uint32_t size) {
  return profile::GetSectionNames(path, buffer, size);
}

uint32_t LinuxPlatform::ReadProfileString(const std::u16string& path, const std::u16string& section,
                                         const std::u16string& key,
                                         const std::u16string& defaultValue, char16_t* buffer,
                                         uint32_t size) {
  return profile::GetString(path, section, key, defaultValue, buffer, size);
}

bool LinuxPlatform::WriteProfileValue(const std::u16string& path, const std::u16string& section,
                                       const std::u16string& key, const std::u16string& value) {
  return profile::WriteString(path, section, key, value);
}

std::unique_ptr<ReadableFile> LinuxPlatform::OpenFileForReading(const std::u16string& path) {
  std::FILE* file = fs::OpenRegularFileForReading(path);
  if (file == nullptr) return nullptr;
  return std::make_unique<StdioFile>(file);
}

bool LinuxPlatform::WriteWholeFile(const std::u16string& path, const std::string& bytes) {
  return fs::WriteWholeFile(path, bytes);
}

std::vector<std::string> LinuxPlatform::VideoDevicePaths() {
  std::vector<std::string> paths;
  for (const auto& device : ListVideoDevices(sysfsRoot_)) paths.push_back(device.devicePath);
  return paths;
}

std::optional<std::vector<SetupDevice>> LinuxPlatform::SetupDevices() {
  std::vector<SetupDevice> list;
  for (const auto& device : ListVideoDevices(sysfsRoot_)) {
    if (!device.setupEntry.instanceId.empty()) list.push_back(device.setupEntry);
  }
  return list;
}

std::shared_ptr<void> LinuxPlatform::OpenDeviceHandle(const std::string& devicePath,
                                                      std::u16string& refusal) {
  for (const auto& device : ListVideoDevices(sysfsRoot_)) {
    if (device.devicePath == devicePath) {
      const std::string node = "/dev/" + device.node;
      // A node the user may not open fails the update like any unreachable camera; the log
      // says why, which the library's result cannot.
      const int fd = open(node.c_str(), O_RDWR | O_CLOEXEC);
      if (fd < 0 && (errno == EACCES || errno == EPERM)) {
        refusal = text::Utf8ToUtf16("No permission to open " + node +
                                    " (camera permissions: see README).\r\n");
        return nullptr;
      }
      if (fd >= 0) close(fd);
      return TextDeviceHandle(node);
    }
  }
  return nullptr;
}

std::string LinuxPlatform::ProgramFolder() {
  const std::u16string program = ProgramFilePath();
  return text::Utf16ToUtf8(program.substr(0, program.find_last_of(u'/')));
}

std::vector<std::string> ProgramLibraryPaths(const std::string& programFile,
                                             const std::u16string& fileName) {
  const std::string folder = programFile.substr(0, programFile.find_last_of('/'));
  const std::string name = SharedObjectName(fileName);
  std::vector<std::string> paths = {folder + "/" + name};
  // Installed, the program sits in bin/ and our own library in lib/ under its soname.
  if (name == SharedObjectName(u"Tandrel.dll")) {
    paths.push_back(folder + "/../lib/" + name + "." TANDREL_SOVERSION);
  }
  return paths;
}

std::unique_ptr<LoadedLibrary> LoadLibraryOfProgram(const std::string& programFile,
                                                    const std::u16string& fileName) {
  // Full paths only: the loader's search order (LD_LIBRARY_PATH, the working folder) is never used.
  for (const std::string& path : ProgramLibraryPaths(programFile, fileName)) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle != nullptr) return std::make_unique<SharedObject>(handle);
  }
  return nullptr;
}

std::unique_ptr<LoadedLibrary> LinuxPlatform::LoadProgramLibrary(const std::u16string& fileName) {
  return LoadLibraryOfProgram(text::Utf16ToUtf8(ProgramFilePath()), fileName);
}

bool LinuxPlatform::RunDialog(DialogHandler& handler) {
  std::string why;
  if (RunWindowDialog(ProgramFolder(), handler, why)) return true;
  if (!why.empty()) {
    DebugOutput(
        text::Utf8ToUtf16("Ostrel: no window (" + why + "), the dialog runs in the terminal"));
  }
  TerminalDialog dialog(stdout, STDIN_FILENO, *this);
  dialog.Run(handler);
  return true;
}

void LinuxPlatform::EndProcessNow(int exitCode) {
  std::fflush(nullptr);
  _exit(exitCode);
}

}  // namespace ostrel::linux_platform
