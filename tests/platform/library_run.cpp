#include "library_run.h"

#include "registration.h"
#include "run_folder.h"

namespace platform_test {
namespace {

namespace fs = std::filesystem;

// Build outputs, as this build names them (through Wine's Z: drive).
fs::path BuildFile(const char* path) { return fs::path(path).make_preferred(); }

}  // namespace

LibraryRun::LibraryRun(Transport transport, const fs::path& folder, const World& world)
    : transport_(transport), folder_(folder), devicePaths_(world.devicePaths) {
  setupError_ = Prepare(transport, world);
  if (setupError_.empty()) setupError_ = Load();
}

LibraryRun::~LibraryRun() {
  // The library keeps a host's filter without a reference: unbind before letting go of it.
  if (exports_.ZelClearDeviceHandle != nullptr) exports_.ZelClearDeviceHandle();
  filters_.clear();
  if (comInitialised_) CoUninitialize();
}

std::string LibraryRun::Prepare(Transport transport, const World& world) {
  std::string failed = WriteWorld(folder_, world);
  if (!failed.empty()) return failed;
  if (transport == Transport::kSimulated) return CopyInto(BuildFile(PLATFORM_TEST_SIM_TANDREL), folder_);

  failed = CopyInto(BuildFile(PLATFORM_TEST_TANDREL), folder_);
  if (failed.empty()) failed = CopyInto(BuildFile(PLATFORM_TEST_WINCAM), folder_);
  if (!failed.empty()) return failed;
  comInitialised_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  const DWORD registered = wincam::RegisterFolder(fs::absolute(folder_).wstring());
  return registered == ERROR_SUCCESS ? std::string()
                                     : "registration failed: " + std::to_string(registered);
}

std::string LibraryRun::Load() {
  library_ = LoadLibraryW((folder_ / "Tandrel.dll").wstring().c_str());
  if (library_ == nullptr) return "LoadLibraryW failed: " + std::to_string(GetLastError());
  std::string missing;
  // GetProcAddress gives a generic function pointer; each export gets its own type back.
#define PLATFORM_TEST_LOOK_UP(name)                                                  \
  exports_.name = reinterpret_cast<decltype(exports_.name)>(                         \
      reinterpret_cast<void*>(GetProcAddress(library_, #name)));                     \
  if (exports_.name == nullptr) missing += " " #name;
  TANDREL_SCENARIO_EXPORTS(PLATFORM_TEST_LOOK_UP)
#undef PLATFORM_TEST_LOOK_UP
  return missing.empty() ? std::string() : "exports not found:" + missing;
}

void* LibraryRun::CameraHandle(int number) {
  if (number < 1 || static_cast<size_t>(number) > devicePaths_.size()) return nullptr;
  if (transport_ == Transport::kSimulated) {
    return const_cast<char*>(devicePaths_[static_cast<size_t>(number) - 1].c_str());
  }
  win32::ComPtr<ICreateDevEnum> devices;
  win32::ComPtr<IEnumMoniker> cameras;
  win32::ComPtr<IMoniker> camera;
  win32::ComPtr<IBaseFilter> filter;
  if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER,
                              IID_ICreateDevEnum, devices.ReceiveVoid())) ||
      devices->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, cameras.Receive(), 0) !=
          S_OK ||
      cameras->Skip(static_cast<ULONG>(number - 1)) != S_OK ||
      cameras->Next(1, camera.Receive(), nullptr) != S_OK ||
      FAILED(camera->BindToObject(nullptr, nullptr, IID_IBaseFilter, filter.ReceiveVoid()))) {
    return nullptr;
  }
  filters_.push_back(std::move(filter));
  return filters_.back().Get();
}

bool LibraryRun::CameraServerIdle() const {
  const HMODULE server = GetModuleHandleW((folder_ / "wincam.dll").wstring().c_str());
  if (server == nullptr) return true;  // never loaded
  using CanUnload = HRESULT(STDAPICALLTYPE*)();
  const auto canUnload = reinterpret_cast<CanUnload>(
      reinterpret_cast<void*>(GetProcAddress(server, "DllCanUnloadNow")));
  return canUnload != nullptr && canUnload() == S_OK;
}

}  // namespace platform_test
