// The auto-update registration: a host callback run on the library's own worker thread each
// time the camera raises its auto-update notification.
//
// The worker is stopped cooperatively: Uninit cancels the wait and joins the thread without
// holding the library lock, so a callback that is inside an export finishes it and gives the
// lock back; a callback that calls ZelAutoUpdateUninit itself is not joined by itself.
#include <memory>
#include <thread>

#include "tandrel.h"
#include "transport/current_device.h"
#include "transport/library_lock.h"
#include "transport/platform_transport.h"
#include "transport/xu_access.h"
#include "transport/xu_status.h"

namespace tandrel {
namespace {

// Lets the camera settle after the notification was enabled.
constexpr uint32_t kEnableSettleMs = 100;

struct Registration {
  XuAccess access;  // stays open while registered
  std::shared_ptr<AutoUpdateEvent> event;
  std::thread worker;
};

// Guarded by the library lock. Never destroyed, so that a registration still running when the
// process exits is not torn down under its worker.
std::unique_ptr<Registration>& AutoUpdateAccess() {
  static auto* const registration = new std::unique_ptr<Registration>;
  return *registration;
}

void StopWorker(Registration& registration) {
  registration.event->Cancel();
  if (registration.worker.get_id() == std::this_thread::get_id()) {
    // Called from the callback: the worker ends by itself once the callback returns, and
    // keeps the event alive until then.
    registration.worker.detach();
  } else {
    registration.worker.join();
  }
}

}  // namespace
}  // namespace tandrel

using namespace tandrel;

extern "C" TANDREL_API int ZelAutoUpdateInit(ZelAutoUpdateCallback callback) {
  if (callback == nullptr) return ZEL_E_INVALID_ARG;
  try {
    LibraryHold hold(LibraryLock());
    // One registration at a time.
    if (AutoUpdateAccess()) return ZEL_E_INVALID_ARG;
    auto registration = std::make_unique<Registration>();
    if (!registration->access.Open(CurrentDevice())) return ZEL_E_UNREACHABLE;
    registration->event = registration->access.EnableAutoUpdateEvent();
    if (!registration->event) return MapXuStatus(registration->access.m_hrLast);
    registration->worker = std::thread([event = registration->event, callback] {
      while (event->Wait()) callback();
    });
    AutoUpdateAccess() = std::move(registration);
    PlatformTransport().Sleep(kEnableSettleMs);
    return ZEL_OK;
  } catch (...) {
    return ZEL_E_DEVICE;
  }
}

extern "C" TANDREL_API int ZelAutoUpdateUninit(void) {
  std::unique_ptr<Registration> registration;
  {
    LibraryHold hold(LibraryLock());
    registration = std::move(AutoUpdateAccess());
  }
  if (!registration) return ZEL_OK;
  StopWorker(*registration);
  LibraryHold hold(LibraryLock());
  registration.reset();  // disables the notification and closes the access
  return ZEL_OK;
}
