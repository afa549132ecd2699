// The Sunplus serial-number block and pointer chains: the camera's block read through sector
// uploads of any flash content and chip type, the chip type of any part image, and the block
// patched into any image, which must land where the image's chain points and inside its buffer.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "engines/sunplus_serial_block.h"
#include "fuzz_input.h"
#include "program_values.h"
#include "update_record.h"

namespace {

using fuzz::Check;
using namespace ostrel::sunplus;

constexpr int kCameraSectors = 16;
constexpr uint8_t kChipTypes[] = {0x66, kChip68, kChip69, kChip6A, 0x00};

// The camera's flash, served sector by sector as the library's upload does.
std::vector<uint8_t> g_cameraFlash;

class CameraFlashUpload : public ostrel::sunplus::SectorUpload {
 public:
  int Upload(unsigned char* buffer, int sector, int /*flashIndex*/) const override {
    Check(sector >= 0 && sector < kCameraSectors, "only the camera's sectors are asked for");
    std::memcpy(buffer, g_cameraFlash.data() + static_cast<size_t>(sector) * kSectorBytes,
                kSectorBytes);
    return 0;
  }
};

void CheckPatch(fuzz::FuzzInput& input, uint8_t chipType, const SerialBlock& block) {
  // The image buffer exactly as large as the engine's, holding imageSize bytes.
  const auto image = std::make_unique<uint8_t[]>(ostrel::kImageBufferBytes);
  const std::vector<uint8_t> content = input.SparseImage(ostrel::kImageBufferBytes);
  std::copy(content.begin(), content.end(), image.get());
  int32_t imageSize = static_cast<int32_t>(content.size());
  const std::optional<uint32_t> chain = BlockOffset(image.get(), content.size());

  const bool patched = PatchBlock(image.get(), imageSize, chipType, block);
  Check(imageSize >= 0 && static_cast<uint32_t>(imageSize) <= ostrel::kImageBufferBytes,
        "the patched image fits its buffer");
  uint32_t at = 0;
  if (chipType == kChip68 || chipType == kChip69) {
    Check(patched, "sector 14 always takes the block");
    at = kSector14Offset;
  } else if (chipType == kChip6A) {
    Check(patched == chain.has_value(), "the block goes where the chain points, if anywhere");
    if (!patched) return;
    at = *chain;
  } else {
    Check(patched && imageSize == static_cast<int32_t>(content.size()), "other chips patch nothing");
    return;
  }
  Check(at + block.length <= static_cast<uint32_t>(imageSize), "the download carries the block");
  Check(std::equal(block.bytes.begin(), block.bytes.begin() + block.length, image.get() + at),
        "the block is in the image");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzInput input(data, size);
  const uint8_t chipType = kChipTypes[input.Byte() % std::size(kChipTypes)];
  // The part image first, then the camera's flash, then the image the block is patched into.
  // Each of the first two in sparse form with up to 8 patches.
  const std::vector<uint8_t> part = input.SparseImage(ostrel::kPartImageBytes, input.Byte() % 9);
  const auto exactPart = std::make_unique<uint8_t[]>(part.size());
  std::copy(part.begin(), part.end(), exactPart.get());
  const uint8_t partType = PartChipType(exactPart.get(), part.size());
  Check(partType == 0x66 || partType == kChip68 || partType == 0x69 || partType == kChip6A,
        "a part is of a known chip type");

  g_cameraFlash.assign(static_cast<size_t>(kCameraSectors) * kSectorBytes, 0xFF);
  input.Patch(g_cameraFlash, input.Byte() % 9);
  SerialBlock block;
  if (ReadCameraBlock(CameraFlashUpload(), chipType, 0, block) == BlockRead::kValid) {
    Check(block.length <= 68, "a valid block is at most 68 bytes");
  } else {
    // As a block restored from the backup file: up to a sector of any bytes.
    const std::string restored = input.Bytes(input.Le(2) % (kSectorBytes + 1));
    std::copy(restored.begin(), restored.end(), block.bytes.begin());
    block.length = restored.size();
  }
  CheckPatch(input, chipType, block);
  return 0;
}
