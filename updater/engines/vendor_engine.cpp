#include "engines/vendor_engine.h"


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

}  // namespace ostrel
