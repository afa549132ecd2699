// The test camera's in-process COM server: class factories for the camera filter and the
// system device enumerator, and the DLL's lifetime.
#include "server.h"

#include <atomic>

#include "com_object.h"
#include "wincam_ids.h"

namespace wincam {
namespace {

std::atomic<long> g_serverReferences{0};
std::atomic<bool> g_worldLoaded{false};

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

// A host may end while it still holds a camera (a leaked filter keeps the world alive, so
// the world's own write-back never runs): every flash reaches its file when the DLL goes,
// whether the process ends or the DLL is unloaded.
void WriteBackFlashes() {
  if (!g_worldLoaded) return;
  const std::shared_ptr<sim::LiveWorld> world = sim::LiveWorld::Active();
  for (size_t i = 0; i < world->CameraCount(); ++i) {
    if (sim::ZelCamera* const camera = world->Zel(i)) camera->WriteBack();
  }
}

}  // namespace

void AddServerReference() { ++g_serverReferences; }
void ReleaseServerReference() { --g_serverReferences; }
bool ServerInUse() { return g_serverReferences != 0; }

std::shared_ptr<sim::LiveWorld> ServerWorld() {
  std::shared_ptr<sim::LiveWorld> world = sim::LiveWorld::Active();
  g_worldLoaded = true;
  return world;
}

std::wstring CameraValue(const sim::LiveWorld& world, size_t camera, const char16_t* key) {
  const std::u16string value = world.File().GetString(world.Camera(camera).section, key);
  return std::wstring(value.begin(), value.end());
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

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, void*) {
  if (reason == DLL_PROCESS_DETACH) wincam::WriteBackFlashes();
  return TRUE;
}
