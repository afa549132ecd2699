// The one update sequence of a ZEL camera, run through the library's download exports by the
// updater's ZEL engine and by `tandrel update` alike, so that both send a camera the same
// requests: read the device descriptor the flash holds and the camera's manufacturer name,
// erase the flash and check it blank, carry the name into a copy of the image, write the image
// and read it back, reset the chip. The name lives in the flash the erase clears: a name read
// that failed stops the update before anything is erased.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "zel/string_descriptors.h"

namespace zel {

// The library's exports the sequence calls, with their signatures. The engine calls them through
// the call gate on the library it loads; the tool calls the library it links. An interface
// rather than function objects: the 32-bit engine must make no plain indirect call, and a
// function object's own bookkeeping is one.
class DownloadExports {
 public:
  virtual ~DownloadExports() = default;
  virtual int FlashRead(int address, unsigned char* buffer, int length) const = 0;  // ZelFlashRead
  virtual int GetiManufacturer(char* text, int size, int* count) const = 0;  // ZelGetiManufacturer
  virtual int EepromErase() const = 0;                                       // pfn_UVC_EEPROMErase
  // pfn_UVC_SetManufactureStringToFW
  virtual int SetManufacturer(unsigned char* image, int reserved, const char* name) const = 0;
  // pfn_EEPROM_DownLoad2
  virtual int DownLoad2(int reserved, int address, const unsigned char* image,
                        int length) const = 0;
  virtual int ResetIc() const = 0;  // pfn_UVC_ResetIC
};

enum class DownloadStep { kNameKnown, kErased, kNameCarried, kWritten, kReset };

// Where a camera's name comes from when its flash holds no valid device descriptor (an update
// was interrupted after the erase, and the name went with the flash).
struct NameWithoutDescriptor {
  enum class Source { kCamera, kGiven, kStop } source;
  std::string name;  // with kGiven
};

// What the caller decides along the way.
class DownloadHost {
 public:
  virtual ~DownloadHost() = default;
  // After the descriptor was read (its release, nothing when it is not valid): false stops the
  // update before anything is written.
  virtual bool Proceed(std::optional<uint16_t> release) = 0;
  virtual NameWithoutDescriptor NameForAnInvalidDescriptor() = 0;
  // The camera answered its name (empty: it has none); descriptorValid tells whether the
  // flash it was read from was whole.
  virtual void NameRead(const std::string& name, bool descriptorValid) = 0;
  // Each step as it ends.
  virtual void Reached(DownloadStep step) = 0;
};

enum class DownloadEnd {
  kDescriptorReadFailed,  // result: the read's
  kStopped,               // Proceed or NameForAnInvalidDescriptor stopped it
  kNameReadFailed,        // result: the read's
  kWriteFailed,           // result: 1 the flash differs from the image, or the library's code
  kDone,                  // written and verified (the reset may have failed)
};

struct DownloadResult {
  DownloadEnd end = DownloadEnd::kStopped;
  int result = 0;
  std::optional<uint16_t> release;  // of the descriptor read first
  std::string name;                 // the name carried
  bool erased = false;              // the erase check found the flash blank
  bool reset = false;
};

// Runs the sequence for an image of length bytes (at most the flash's size) on the camera the
// library has bound.
DownloadResult RunDownload(const DownloadExports& exports, const uint8_t* image, int length,
                           DownloadHost& host);

}  // namespace zel
