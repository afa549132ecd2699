// Binding a chip vendor's library by file name with its exports looked up by name, each
// called through the call gate.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <memory>
#include <string>

#include "platform/platform.h"
#include "vendor_api/call_gate.h"

namespace ostrel {

// One export the engine needs; address is filled by LoadVendorLibrary.
struct VendorExport {
  const char* name;
  // The argument bytes a stdcall export's decorated name "_name@N" carries.
  size_t argumentBytes;
  void* address = nullptr;
};

// An export of the type Fn, called through the call gate whatever convention the library uses.
template <typename Fn>
class VendorFunction;

template <typename Result, typename... Args>
class VendorFunction<Result (*)(Args...)> : public VendorExport {
  using Gate = call_gate::Gate<Result (*)(Args...)>;

 public:
  explicit VendorFunction(const char* exportName)
      : VendorExport{exportName, Gate::kArgumentBytes} {}
  Result operator()(Args... args) const { return Gate::Call(address, args...); }
};

// Loads the library from the program's folder and looks up every export, by its bare name and
// then by its stdcall decoration; nullptr when the file or any export is missing.
std::unique_ptr<LoadedLibrary> LoadVendorLibrary(Platform& platform, const std::u16string& fileName,
                                                 std::initializer_list<VendorExport*> exports);

}  // namespace ostrel
