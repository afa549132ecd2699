// The test camera's in-process COM server: class factories for the camera filter and the
// system device enumerator, and the DLL's lifetime.
#include "server.h"

#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>

#include "com_object.h"
#include "wincam_ids.h"

namespace wincam {
namespace {

std::atomic<long> g_serverReferences{0};

using Constructor = HRESULT (*)(REFIID, void**);

class ClassFactory : public ComObject<IClassFactory> {
 public:
  explicit ClassFactory(Constructor construct) : construct_(construct) {}

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return construct_(iid, object);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock) {
      AddServerReference();
    } else {
      ReleaseServerReference();
    }
    return S_OK;
  }

 private:
  void* Interface(REFIID iid) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
      return static_cast<IClassFactory*>(this);
    }
    return nullptr;
  }

  const Constructor construct_;
};

}  // namespace

void AddServerReference() { ++g_serverReferences; }
void ReleaseServerReference() { --g_serverReferences; }
bool ServerInUse() { return g_serverReferences != 0; }

std::wstring CameraValue(const sim::LiveWorld& world, size_t camera, const char16_t* key) {
  const std::u16string value = world.File().GetString(world.Camera(camera).section, key);
  return std::wstring(value.begin(), value.end());
}

void KsTraceLine(const sim::LiveWorld& world, const std::string& line) {
  static std::mutex mutex;
  static std::map<std::u16string, std::unique_ptr<sim::TraceLog>> logs;
  const std::u16string path = world.File().ResolvePath(world.File().GetString(u"World", u"KsTrace"));
  if (path.empty()) return;
  std::unique_ptr<sim::TraceLog>* log = nullptr;
  {
    std::lock_guard<std::mutex> hold(mutex);
    log = &logs[path];
    if (!*log) *log = std::make_unique<sim::TraceLog>(path);
  }
  (*log)->Line(line);
}

bool ReenumeratesOnReset(const sim::LiveWorld& world, size_t camera) {
  return world.File().GetNumber(world.Camera(camera).section, u"ReenumerateOnReset").value_or(1) != 0;
}

bool CameraAway(const sim::LiveWorld& world, size_t camera) {
  const sim::ZelCamera* const model = world.Zel(camera);
  if (model == nullptr || model->Enumerations() == 1 || !ReenumeratesOnReset(world, camera)) {
    return false;
  }
  const int64_t absentMs =
      world.File().GetNumber(world.Camera(camera).section, u"AbsentMs").value_or(1000);
  const auto absent = std::chrono::duration<double, std::milli>(
      static_cast<double>(absentMs) * world.File().TimeScale());
  return std::chrono::steady_clock::now() - model->LastDeparture() < absent;
}

}  // namespace wincam

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  wincam::Constructor construct = nullptr;
  if (IsEqualCLSID(clsid, wincam::kCameraFilterClsid)) construct = wincam::CreateCameraFilter;
  if (IsEqualCLSID(clsid, wincam::kSystemDeviceEnumClsid)) {
    construct = wincam::CreateDeviceEnumerator;
  }
  if (construct == nullptr) return CLASS_E_CLASSNOTAVAILABLE;
  return wincam::HandOut(new wincam::ClassFactory(construct), iid, object);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return wincam::ServerInUse() ? S_FALSE : S_OK;
}
