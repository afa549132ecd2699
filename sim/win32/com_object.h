// The IUnknown part every object of the test camera's COM server shares: an atomic reference
// count (the objects are free-threaded) and the server's count of live objects, which decides
// whether the DLL may unload.
#pragma once

#include <windows.h>
// COM declarations follow windows.h.
#include <ole2.h>

#include <atomic>

namespace wincam {

// Live objects and LockServer locks of the DLL.
void AddServerReference();
void ReleaseServerReference();
bool ServerInUse();

template <typename... Interfaces>
class ComObject : public Interfaces... {
 public:
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = Interface(iid);
    if (*object == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  // Created with one reference, the creator's.
  ComObject() { AddServerReference(); }
  virtual ~ComObject() { ReleaseServerReference(); }
  // This object as the interface iid names (IUnknown included), or null.
  virtual void* Interface(REFIID iid) = 0;

 private:
  std::atomic<ULONG> references_{1};
};

// Hands a new object out as iid, dropping the creator's reference either way.
template <typename Object>
HRESULT HandOut(Object* object, REFIID iid, void** out) {
  const HRESULT hr = object->QueryInterface(iid, out);
  object->Release();
  return hr;
}

}  // namespace wincam
