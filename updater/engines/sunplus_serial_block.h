// The Sunplus camera's serial-number block and where it lives: in sector 14 on the 0x68 and
// 0x69 chips, behind a pointer chain in the flash header on the 0x6A chip. Pure rules on the
// bytes the camera and the image hold, kept apart from the engine's library calls.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "engines/vendor_api/sunplus_camera.h"

namespace ostrel::sunplus {

constexpr size_t kSectorBytes = sunplus_camera::kSectorBytes;
constexpr uint32_t kSector14Offset = 0xE000;

constexpr uint8_t kChip68 = 0x68;
constexpr uint8_t kChip69 = 0x69;
constexpr uint8_t kChip6A = 0x6A;

// The chip type a part image (size bytes) is built for; every byte examined lies inside it.
uint8_t PartChipType(const uint8_t* image, size_t size);

// The 16-bit big-endian offset the 0x6A layout points at: p from bytes 4-5, then the value at
// p + 0x20. Nothing when the chain leaves the first size bytes.
std::optional<uint32_t> BlockOffset(const uint8_t* bytes, size_t size);

// The serial-number block: the first length bytes of the sector buffer.
struct SerialBlock {
  std::array<uint8_t, kSectorBytes> bytes{};
  size_t length = 0;
};

// The library's sector upload: fills buffer with one sector of the camera's flash. An
// interface, not a function pointer, so that the engine's call still goes through its gate.
class SectorUpload {
 public:
  virtual ~SectorUpload() = default;
  virtual int Upload(unsigned char* buffer, int sector, int flashIndex) const = 0;
};

enum class BlockRead {
  kValid,         // the block as the camera keeps it (empty on other chips)
  kInvalid,       // the 0x6A header is not a valid one or the block claims more than 68 bytes:
                  // the camera's copy is lost
  kUploadFailed,  // a sector upload failed: what the camera keeps is unknown
};

// Reads the camera's block through the sector upload, stopping at the first failed upload.
BlockRead ReadCameraBlock(const SectorUpload& uploadSector, uint8_t chipType, int flashIndex,
                          SerialBlock& block);

// Patches the block into the image (a buffer of kImageBufferBytes holding imageSize bytes),
// extending imageSize to carry it; false when the image's pointer chain leaves the image.
bool PatchBlock(uint8_t* image, int32_t& imageSize, uint8_t chipType, const SerialBlock& block);

}  // namespace ostrel::sunplus
