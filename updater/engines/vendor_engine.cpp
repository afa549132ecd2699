#include "engines/vendor_engine.h"

#include "update_record.h"

namespace ostrel {

std::unique_ptr<LoadedLibrary> LoadVendorLibrary(Platform& platform, const std::u16string& fileName,
                                                 VendorExport* exports, size_t count) {
  std::unique_ptr<LoadedLibrary> library = platform.LoadProgramLibrary(fileName);
  if (!library) return nullptr;
  for (size_t i = 0; i < count; ++i) {
    exports[i].address = library->Symbol(exports[i].name);
    if (exports[i].address == nullptr) return nullptr;
  }
  return library;
}

// The outcome code is stored before the state: a silent run may end as soon as it sees the
// state, and the code must be final by then.
void EndLibraryMissing(CVarnelCameraDlg& record) {
  record.m_nProgress = 0;
  g_nExitCode = kOutcomeUpdateFailed;
  record.m_nState = kStateLibraryMissing;
}

void EndUpdateFailed(CVarnelCameraDlg& record) {
  g_nExitCode = kOutcomeUpdateFailed;
  record.m_nState = kStateFailed;
}

void EndNoMatchingPart(CVarnelCameraDlg& record) {
  g_nExitCode = kOutcomeNoFirmware;
  record.m_nState = kStateFailed;
  record.m_nProgress = 100;
}

}  // namespace ostrel
