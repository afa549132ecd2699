// Chip vendor 1: the Sunplus engine. The library does the download; the engine keeps the
// camera's serial-number block across it (backed up to bin/SPSN.bin, restored from there when
// the camera's copy is lost) and, with part images, picks the part that fits the chip.
#include <algorithm>
#include <array>
#include <iterator>
#include <optional>
#include <string>

#include "engines/engines.h"
#include "engines/part_image.h"
#include "engines/vendor_engine.h"
#include "update_record.h"
#include "vendor_api/sunplus_camera.h"

namespace ostrel {
namespace {

namespace api = sunplus_camera;

constexpr size_t kSectorBytes = api::kSectorBytes;
constexpr int kHeaderSectors = 5;
constexpr size_t kHeaderBytes = kHeaderSectors * kSectorBytes;
constexpr size_t kMaxValidBlock = 68;
constexpr uint32_t kSector14Offset = 0xE000;

constexpr uint8_t kChip68 = 0x68;
constexpr uint8_t kChip69 = 0x69;
constexpr uint8_t kChip6A = 0x6A;

constexpr uint8_t kDefaultBlock[] = {
    0x00, 0x1E, 0x1E, 0x03, 0x53, 0x00, 0x75, 0x00, 0x6E, 0x00, 0x70, 0x00, 0x6C, 0x00, 0x75, 0x00,
    0x73, 0x00, 0x49, 0x00, 0x54, 0x00, 0x20, 0x00, 0x49, 0x00, 0x4E, 0x00, 0x43, 0x00, 0x2E, 0x88};

struct FlashIndexRow {
  uint8_t flashType;
  int flashIndex;
};

constexpr FlashIndexRow kFlashIndexRows[] = {
    {0x79, 0}, {0x83, 0}, {0x7A, 1}, {0x7B, 2}, {0x7D, 2}, {0x7F, 3},
    {0x80, 4}, {0x7E, 5}, {0x81, 6}, {0x82, 6},
};

struct SunplusCamera {
  VendorFunction<api::SunplusCamInitFn> SunplusCam_Init{"SunplusCam_Init"};
  VendorFunction<api::GetFlashTypeFn> Get_FlashType{"Get_FlashType"};
  VendorFunction<api::DownloadFwVerboseFn> Download_FW_Verbose{"Download_FW_Verbose"};
  VendorFunction<api::GetAsicTypeFn> Get_ASICType{"Get_ASICType"};
  VendorFunction<api::UploadSectorFn> Upload_Sector{"Upload_Sector"};
};

std::optional<int> FlashIndexOf(uint8_t flashType) {
  for (const FlashIndexRow& row : kFlashIndexRows) {
    if (row.flashType == flashType) return row.flashIndex;
  }
  return std::nullopt;
}

// The chip type a part image is built for; sizes keep every byte examined inside the image.
uint8_t PartChipType(const uint8_t* image, size_t size) {
  if (size <= 0xB700) return kChip6A;
  if (image[0x8000] == 0x12) return 0x66;
  if (image[0xB701] == 0x12) return kChip68;
  if (image[0x6781] == 0x12) return 0x69;
  return kChip6A;
}

// The 16-bit big-endian offset the 0x6A layout points at: p from bytes 4-5, then the value at
// p + 0x20. Nothing when the chain leaves the first size bytes.
std::optional<uint32_t> BlockOffset(const uint8_t* bytes, size_t size) {
  if (size < 6) return std::nullopt;
  const size_t p = bytes[4] * 256u + bytes[5];
  if (p + 0x21 >= size) return std::nullopt;
  return static_cast<uint32_t>(bytes[0x20 + p] * 256u + bytes[0x21 + p]);
}

// The serial-number block: the first length bytes of the sector buffer.
struct SerialBlock {
  std::array<uint8_t, kSectorBytes> bytes{};
  size_t length = 0;
};

bool ReadCameraBlock(const SunplusCamera& lib, uint8_t chipType, int flashIndex,
                     SerialBlock& block) {
  const auto lengthOf = [&block] { return static_cast<size_t>(block.bytes[1]) + 2; };
  if (chipType == kChip68 || chipType == kChip69) {
    lib.Upload_Sector(block.bytes.data(), 14, flashIndex);
    block.length = lengthOf();
  } else if (chipType == kChip6A) {
    std::array<uint8_t, kHeaderBytes> header{};
    for (int sector = 0; sector < kHeaderSectors; ++sector) {
      lib.Upload_Sector(header.data() + sector * kSectorBytes, sector, flashIndex);
    }
    if (header[0] != 0x89 || (header[1] >> 4) != 1) return false;
    const std::optional<uint32_t> q = BlockOffset(header.data(), header.size());
    if (!q) return false;
    lib.Upload_Sector(block.bytes.data(), static_cast<int>(*q / kSectorBytes), flashIndex);
    block.length = lengthOf();
  } else {
    block.length = 0;
  }
  return block.length <= kMaxValidBlock;
}

void RestoreBlock(Platform& platform, const std::u16string& path, SerialBlock& block) {
  const std::unique_ptr<ReadableFile> file = platform.OpenFileForReading(path);
  if (file) {
    block.length = file->Read(block.bytes.data(), kSectorBytes);
  } else {
    std::copy(std::begin(kDefaultBlock), std::end(kDefaultBlock), block.bytes.begin());
    block.length = std::size(kDefaultBlock);
  }
}

// A 16-bit offset plus a block of at most one sector always ends inside the image buffer.
static_assert(0xFFFF + kSectorBytes <= kImageBufferBytes);

// Patches the block into the image; false when the image's pointer chain leaves the image.
bool PatchBlock(CVarnelCameraDlg& record, uint8_t chipType, const SerialBlock& block) {
  uint8_t* image = record.m_pImage.get();
  if (chipType == kChip68 || chipType == kChip69) {
    // An image that ends before the block would leave it out of the download, and the camera
    // without its serial number: the download is extended to carry it, any gap left erased.
    const int32_t blockEnd = static_cast<int32_t>(kSector14Offset + block.length);
    if (record.m_nImageSize < static_cast<int32_t>(kSector14Offset)) {
      std::fill(image + std::max(record.m_nImageSize, 0), image + kSector14Offset, 0xFF);
    }
    record.m_nImageSize = std::max(record.m_nImageSize, blockEnd);
    std::copy_n(block.bytes.begin(), block.length, image + kSector14Offset);
  } else if (chipType == kChip6A) {
    const std::optional<uint32_t> q =
        BlockOffset(image, static_cast<size_t>(std::max(record.m_nImageSize, 0)));
    if (!q) return false;
    std::copy_n(block.bytes.begin(), block.length, image + *q);
    record.m_nImageSize = static_cast<int32_t>(*q + block.length);
  }
  return true;
}

int ChoosePart(uint8_t chipType) {
  for (int n = 1; n <= kPartCount; ++n) {
    if (PartIsLoaded(n) &&
        PartChipType(g_pPartImage[n].get(), static_cast<size_t>(g_nPartImageSize[n])) == chipType) {
      return n;
    }
  }
  return 0;
}

std::unique_ptr<LoadedLibrary> BindSunplusCamera(CVarnelCameraDlg& record, SunplusCamera& lib) {
  return LoadVendorLibrary(record.platform(), u"SunplusCamera.dll",
                           {&lib.SunplusCam_Init, &lib.Get_FlashType, &lib.Download_FW_Verbose,
                            &lib.Get_ASICType, &lib.Upload_Sector});
}

}  // namespace

uint32_t RunSunplusUpdate(CVarnelCameraDlg& record) {
  const std::u16string serialFile = record.ProgramPath({u"bin", u"SPSN.bin"});
  SunplusCamera lib;
  const std::unique_ptr<LoadedLibrary> library = BindSunplusCamera(record, lib);
  if (!library) {
    EndLibraryMissing(record);
    return 0;
  }
  if (lib.SunplusCam_Init(0) != 0) {
    record.m_nProgress = 0;
    EndUpdateFailed(record);
    return 0;
  }
  unsigned char flashType = 0;
  lib.Get_FlashType(&flashType);
  // A flash the table does not know would be written with a guessed layout: refused.
  const std::optional<int> flashIndex = FlashIndexOf(flashType);
  if (!flashIndex) {
    EndUpdateFailed(record);
    return 0;
  }
  unsigned char chipType = 0;
  lib.Get_ASICType(&chipType);

  SerialBlock block;
  if (ReadCameraBlock(lib, chipType, *flashIndex, block)) {
    const auto* first = reinterpret_cast<const char*>(block.bytes.data());
    record.platform().WriteWholeFile(serialFile, std::string(first, block.length));
  } else {
    RestoreBlock(record.platform(), serialFile, block);
  }

  if (record.m_bMultiImage) {
    const int part = ChoosePart(chipType);
    if (part == 0) {
      record.SetStatus(u"No matched binary file!");
      record.ShowStateBitmap(kBmpFailure);
      record.WriteLog(u"**No matched binary file, skip update!\r\n");
      EndNoMatchingPart(record);
      return 0;
    }
    TakePart(record, part);
    record.WriteLog(u"Load the file [%s]\r\n", {g_szPartBinName[part]});
    if (EndIfPartIsCurrent(record, 1, part)) return 0;
    std::copy_n(g_pPartImage[part].get(), g_nPartImageSize[part], record.m_pImage.get());
    record.m_nImageSize = g_nPartImageSize[part];
  }

  if (!PatchBlock(record, chipType, block)) {
    EndUpdateFailed(record);
    return 0;
  }
  unsigned char cell1 = 0;
  unsigned char cell2 = 0;
  const int result = lib.Download_FW_Verbose(record.m_pImage.get(), record.m_nImageSize,
                                             *flashIndex, &cell1, &cell2, &record.m_nState,
                                             &record.m_nProgress);
  if (result != 0) {
    EndUpdateFailed(record);
    return 0;
  }
  g_nExitCode = kOutcomeSuccess;
  record.m_nState = kStateFinished;
  return 0;
}

}  // namespace ostrel
