// The one update sequence of a ZEL camera, run through the library's download exports by the
// updater's ZEL engine and by `tandrel update` alike, so that both send a camera the same
// requests: read the device descriptor the flash holds and the camera's manufacturer name,
// erase the flash and check it blank, carry the name into a copy of the image, write the image
// and read it back, reset the chip. The name lives in the flash the erase clears: a name read
// that failed stops the update before anything is erased.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "zel/string_descriptors.h"

namespace zel {

// The library's exports the sequence calls, with their signatures. The engine looks them up
// by name in the library it loads; the tool calls the library it links.
struct DownloadExports {
  std::function<int(int address, unsigned char* buffer, int length)> flashRead;  // ZelFlashRead
  std::function<int(char* text, int size, int* count)> getiManufacturer;  // ZelGetiManufacturer
  std::function<int()> eepromErase;                                         // pfn_UVC_EEPROMErase
  std::function<int(unsigned char* image, int reserved, const char* name)>
      setManufacturer;  // pfn_UVC_SetManufactureStringToFW
  std::function<int(int reserved, int address, const unsigned char* image, int length)>
      downLoad2;                 // pfn_EEPROM_DownLoad2
  std::function<int()> resetIc;  // pfn_UVC_ResetIC
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
