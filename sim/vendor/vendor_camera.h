// The camera a stand-in vendor library acts on: the first camera of its model in the world
// beside the library, with its non-volatile serial flash (the camera's Flash file, with its
// StuckByte), its FailStep and FailCall and the world's trace.
#pragma once

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <optional>
#include <string>
#include <type_traits>

#include "world/flash_memory.h"
#include "world/world_file.h"

// A stand-in's export, and the calling convention of the stand-ins the engines load. Closed
// vendor libraries for 32-bit Windows come as cdecl or stdcall, their stdcall exports named
// "Name" or "_Name@N": the 32-bit build also makes the stand-ins as stdcall libraries
// (SIM_VENDOR_STDCALL), one of them exporting only what its .def names (SIM_VENDOR_DEF_EXPORTS).
#if defined(_WIN32) && defined(SIM_VENDOR_DEF_EXPORTS)
#define SIM_EXPORT extern "C"
#elif defined(_WIN32)
#define SIM_EXPORT extern "C" __declspec(dllexport)
#else
#define SIM_EXPORT extern "C" __attribute__((visibility("default")))
#endif
#if defined(SIM_VENDOR_STDCALL)
#define SIM_VENDOR_CALL __attribute__((stdcall))
#else
#define SIM_VENDOR_CALL
#endif

namespace sim {

// The type of a stand-in's export that an engine calls through a pointer of the type Fn.
template <typename Fn>
struct VendorExportOf;
template <typename Result, typename... Args>
struct VendorExportOf<Result (*)(Args...)> {
  using type = Result(SIM_VENDOR_CALL*)(Args...);
};
template <typename Fn>
using VendorExport = typename VendorExportOf<Fn>::type;

class VendorCamera {
 public:
  // The first camera of the model; nothing when the world has none. failSteps are the steps
  // its FailStep may name; any other value is reported.
  static std::optional<VendorCamera> Find(const char* model, uint32_t flashSize,
                                          std::initializer_list<const char16_t*> failSteps);

  // The serial flash; a stand-in call that changes it persists it before it returns.
  FlashMemory& Flash() { return flash_; }
  const FlashMemory& Flash() const { return flash_; }
  // Records that an image of length bytes is now burnt: from here on the camera reports
  // that image's version as its release.
  void MarkBurnt(uint32_t length);

  // The camera's key, empty when unset; a number, or the fallback when unset or malformed.
  std::u16string Text(const char16_t* key) const;
  int64_t Number(const char16_t* key, int64_t fallback) const;
  // FailStep names this step.
  bool Fails(const char16_t* step) const { return Text(u"FailStep") == step; }
  // Counts one call of the library's exports; true (and traced as "<name> = failed once") for
  // the call FailCall numbers, which fails once, as a call the library could not complete,
  // without doing anything.
  bool CallFails(const char* name);

  // One trace line, "CALL " followed by the formatted text.
  void Trace(const char* format, ...) const
#if defined(__GNUC__)
      __attribute__((format(printf, 2, 3)))
#endif
      ;

 private:
  VendorCamera(const WorldFile& world, const CameraConfig& camera, uint32_t flashSize);

  const WorldFile* world_;
  std::u16string section_;
  std::u16string flashPath_;
  std::u16string tracePath_;
  FlashMemory flash_;
  int64_t failCall_;
  int64_t calls_ = 0;
};

// The file beside a camera's Flash file that records the length of the image burnt last.
std::u16string BurntMarkerPath(const std::u16string& flashPath);

}  // namespace sim
