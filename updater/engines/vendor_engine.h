// Pieces shared by the engines that drive a chip vendor's closed library: binding the library
// by file name with its exports looked up by name, and the endings every such engine has.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "platform/platform.h"

namespace ostrel {

class CVarnelCameraDlg;

// One export the engine needs; address is filled by LoadVendorLibrary.
struct VendorExport {
  const char* name;
  void* address = nullptr;
};

// Loads the library from the program's folder and looks up every export; nullptr when the
// file or any export is missing.
std::unique_ptr<LoadedLibrary> LoadVendorLibrary(Platform& platform, const std::u16string& fileName,
                                                 VendorExport* exports, size_t count);

template <typename Fn>
Fn ExportAs(const VendorExport& entry) {
  return reinterpret_cast<Fn>(entry.address);
}

// The library or one of its exports is missing: progress 0, state 26, code 5.
void EndLibraryMissing(CVarnelCameraDlg& record);
// A step failed: progress 0 unless a step moved it, state 24, code 5.
void EndUpdateFailed(CVarnelCameraDlg& record);
// No part image fits the camera: code 2, and progress 100 with state 24 so that the
// supervision shows a failure instead of waiting for its time limit.
void EndNoMatchingPart(CVarnelCameraDlg& record);

}  // namespace ostrel
