// The serial-number block's rules; what each function keeps inside its bytes is in the header.
#include "engines/sunplus_serial_block.h"

#include <algorithm>

#include "update_record.h"

namespace ostrel::sunplus {
namespace {

constexpr int kHeaderSectors = 5;
constexpr size_t kHeaderBytes = kHeaderSectors * kSectorBytes;
constexpr size_t kMaxValidBlock = 68;

}  // namespace

uint8_t PartChipType(const uint8_t* image, size_t size) {
  if (size <= 0xB700) return kChip6A;
  // An image of exactly 0xB701 bytes ends just before the 0x68 mark: a mark past the end is none.
  const auto marked = [image, size](size_t at) { return at < size && image[at] == 0x12; };
  if (marked(0x8000)) return 0x66;
  if (marked(0xB701)) return kChip68;
  if (marked(0x6781)) return 0x69;
  return kChip6A;
}

std::optional<uint32_t> BlockOffset(const uint8_t* bytes, size_t size) {
  if (size < 6) return std::nullopt;
  const size_t p = bytes[4] * 256u + bytes[5];
  if (p + 0x21 >= size) return std::nullopt;
  return static_cast<uint32_t>(bytes[0x20 + p] * 256u + bytes[0x21 + p]);
}

BlockRead ReadCameraBlock(const SectorUpload& uploadSector, uint8_t chipType, int flashIndex,
                          SerialBlock& block) {
  const auto upload = [&](unsigned char* buffer, int sector) {
    return uploadSector.Upload(buffer, sector, flashIndex) == 0;
  };
  if (chipType == kChip68 || chipType == kChip69) {
    if (!upload(block.bytes.data(), 14)) return BlockRead::kUploadFailed;
  } else if (chipType == kChip6A) {
    std::array<uint8_t, kHeaderBytes> header{};
    for (int sector = 0; sector < kHeaderSectors; ++sector) {
      if (!upload(header.data() + sector * kSectorBytes, sector)) return BlockRead::kUploadFailed;
    }
    if (header[0] != 0x89 || (header[1] >> 4) != 1) return BlockRead::kInvalid;
    const std::optional<uint32_t> q = BlockOffset(header.data(), header.size());
    if (!q) return BlockRead::kInvalid;
    if (!upload(block.bytes.data(), static_cast<int>(*q / kSectorBytes))) {
      return BlockRead::kUploadFailed;
    }
  } else {
    block.length = 0;
    return BlockRead::kValid;
  }
  block.length = static_cast<size_t>(block.bytes[1]) + 2;
  return block.length <= kMaxValidBlock ? BlockRead::kValid : BlockRead::kInvalid;
}

// A 16-bit offset plus a block of at most one sector always ends inside the image buffer.
static_assert(0xFFFF + kSectorBytes <= kImageBufferBytes);

bool PatchBlock(uint8_t* image, int32_t& imageSize, uint8_t chipType, const SerialBlock& block) {
  if (chipType == kChip68 || chipType == kChip69) {
    // An image that ends before the block would leave it out of the download, and the camera
    // without its serial number: the download is extended to carry it, any gap left erased.
    const int32_t blockEnd = static_cast<int32_t>(kSector14Offset + block.length);
    if (imageSize < static_cast<int32_t>(kSector14Offset)) {
      std::fill(image + std::max(imageSize, 0), image + kSector14Offset, 0xFF);
    }
    imageSize = std::max(imageSize, blockEnd);
    std::copy_n(block.bytes.begin(), block.length, image + kSector14Offset);
  } else if (chipType == kChip6A) {
    const std::optional<uint32_t> q =
        BlockOffset(image, static_cast<size_t>(std::max(imageSize, 0)));
    if (!q) return false;
    std::copy_n(block.bytes.begin(), block.length, image + *q);
    imageSize = static_cast<int32_t>(*q + block.length);
  }
  return true;
}

}  // namespace ostrel::sunplus
