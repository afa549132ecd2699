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
#include "engines/run_ending.h"
#include "engines/sunplus_serial_block.h"
#include "engines/vendor_engine.h"
#include "update_record.h"
#include "vendor_api/sunplus_camera.h"

namespace ostrel {
namespace {

namespace api = sunplus_camera;
using namespace sunplus;

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

class LibraryUpload : public SectorUpload {
 public:
  explicit LibraryUpload(const SunplusCamera& lib) : lib_(lib) {}
  int Upload(unsigned char* buffer, int sector, int flashIndex) const override {
    return lib_.Upload_Sector(buffer, sector, flashIndex);
  }

 private:
  const SunplusCamera& lib_;
};

std::optional<int> FlashIndexOf(uint8_t flashType) {
  for (const FlashIndexRow& row : kFlashIndexRows) {
    if (row.flashType == flashType) return row.flashIndex;
  }
  return std::nullopt;
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
    EndRun(record, Ending::kLibraryMissing, 0);
    return 0;
  }
  if (lib.SunplusCam_Init(0) != 0) {
    EndRun(record, Ending::kFailed, 0);
    return 0;
  }
  unsigned char flashType = 0;
  lib.Get_FlashType(&flashType);
  // A flash the table does not know would be written with a guessed layout: refused.
  const std::optional<int> flashIndex = FlashIndexOf(flashType);
  if (!flashIndex) {
    EndRun(record, Ending::kFailed);
    return 0;
  }
  // The chip type says where the serial number lives, and the block read from there is carried
  // into the image and backed up: after a failed call the camera's serial number is unknown,
  // and going on would download the image without it and overwrite the backup.
  unsigned char chipType = 0;
  if (lib.Get_ASICType(&chipType) != 0) {
    record.WriteLog(u"Get ASIC Type Fail!\r\n");
    EndRun(record, Ending::kFailed);
    return 0;
  }
  SerialBlock block;
  switch (ReadCameraBlock(LibraryUpload(lib), chipType, *flashIndex, block)) {
    case BlockRead::kValid: {
      const auto* first = reinterpret_cast<const char*>(block.bytes.data());
      record.platform().WriteWholeFile(serialFile, std::string(first, block.length));
      break;
    }
    case BlockRead::kInvalid:
      RestoreBlock(record.platform(), serialFile, block);
      break;
    case BlockRead::kUploadFailed:
      record.WriteLog(u"Get Serial Number Fail!\r\n");
      EndRun(record, Ending::kFailed);
      return 0;
  }

  if (record.m_bMultiImage) {
    const int part = ChoosePart(chipType);
    if (part == 0) {
      record.SetStatus(u"No matched binary file!");
      record.ShowStateBitmap(kBmpFailure);
      record.WriteLog(u"**No matched binary file, skip update!\r\n");
      EndRun(record, Ending::kNoMatchingPart, 100);
      return 0;
    }
    TakePart(record, part);
    record.WriteLog(u"Load the file [%s]\r\n", {g_szPartBinName[part]});
    if (EndIfPartIsCurrent(record, 1, part)) return 0;
    std::copy_n(g_pPartImage[part].get(), g_nPartImageSize[part], record.m_pImage.get());
    record.m_nImageSize = g_nPartImageSize[part];
  }

  if (!PatchBlock(record.m_pImage.get(), record.m_nImageSize, chipType, block)) {
    EndRun(record, Ending::kFailed);
    return 0;
  }
  unsigned char cell1 = 0;
  unsigned char cell2 = 0;
  const int result = lib.Download_FW_Verbose(record.m_pImage.get(), record.m_nImageSize,
                                             *flashIndex, &cell1, &cell2, &record.m_nState,
                                             &record.m_nProgress);
  if (result != 0) {
    EndRun(record, Ending::kFailed);
    return 0;
  }
  // The library moved the progress itself.
  EndRun(record, Ending::kUpdated);
  return 0;
}

}  // namespace ostrel
