#include "engines/vendor_engine.h"

#include "update_record.h"

namespace ostrel {

namespace {

void* FindExport(LoadedLibrary& library, const VendorExport& entry) {
  if (void* address = library.Symbol(entry.name)) return address;
  const std::string decorated =
      "_" + std::string(entry.name) + "@" + std::to_string(entry.argumentBytes);
  return library.Symbol(decorated.c_str());
}

}  // namespace

std::unique_ptr<LoadedLibrary> LoadVendorLibrary(Platform& platform, const std::u16string& fileName,
                                                 std::initializer_list<VendorExport*> exports) {
  std::unique_ptr<LoadedLibrary> library = platform.LoadProgramLibrary(fileName);
  if (!library) return nullptr;
  for (VendorExport* entry : exports) {
    entry->address = FindExport(*library, *entry);
    if (entry->address == nullptr) return nullptr;
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
