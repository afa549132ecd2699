// Chip vendor 3: the SONIX engine, which burns the camera's 64 KiB serial flash through
// BurnerApLib.
#include <algorithm>
#include <vector>

#include "engines/engines.h"
#include "engines/part_image.h"
#include "engines/run_ending.h"
#include "engines/sonix_rules.h"
#include "engines/vendor_engine.h"
#include "update_record.h"
#include "vendor_api/burner_ap_lib.h"

namespace ostrel {
namespace {

namespace api = burner_ap_lib;
using namespace sonix;

constexpr uint32_t kBurnBytes = 0x10000;
constexpr uint16_t kDefaultProtectionAddress = 0x8034;

struct BurnerApLib {
  VendorFunction<api::InitializeDriverInterfaceFn> Initialize_DriverInterface{
      "Initialize_DriverInterface"};
  VendorFunction<api::ReqToDriverFn> ReqToDriver{"ReqToDriver"};
  VendorFunction<api::GetRomVersionFn> GetRomVersion{"GetRomVersion"};
  VendorFunction<api::GetSectorTableAddrFn> GetSectorTableAddr{"GetSectorTableAddr"};
  VendorFunction<api::ProcReadFromAsicFn> ProcReadFromASIC{"ProcReadFromASIC"};
  VendorFunction<api::SetWriteProtectFn> SetWriteProtect{"SetWriteProtect"};
  VendorFunction<api::GetSerialNumFn> GetSerialNum{"GetSerialNum"};
  VendorFunction<api::EraseSfFn> EraseSF{"EraseSF"};
  VendorFunction<api::ResetDeviceFn> ResetDevice{"ResetDevice"};
  VendorFunction<api::UnInitializeDriverInterfaceFn> UnInitialize_DriverInterface{
      "UnInitialize_DriverInterface"};
};

uint16_t ProtectionAddress(const BurnerApLib& lib) {
  char romVersion[api::kRomVersionBytes] = {};
  lib.GetRomVersion(romVersion);
  const ProtectionRow* row = MatchingRow(romVersion);
  if (row == nullptr) return kDefaultProtectionAddress;
  if (!row->fromChip) return row->address;
  unsigned short sectorTable = 0;
  lib.GetSectorTableAddr(&sectorTable);
  unsigned char chipBytes[8] = {};
  lib.ProcReadFromASIC(static_cast<unsigned short>(sectorTable + 8), chipBytes);
  return static_cast<uint16_t>(chipBytes[0] * 256 + 0x34);
}

std::unique_ptr<LoadedLibrary> BindBurnerApLib(CVarnelCameraDlg& record, BurnerApLib& lib) {
  return LoadVendorLibrary(record.platform(), u"BurnerApLib.dll",
                           {&lib.Initialize_DriverInterface, &lib.ReqToDriver, &lib.GetRomVersion,
                            &lib.GetSectorTableAddr, &lib.ProcReadFromASIC, &lib.SetWriteProtect,
                            &lib.GetSerialNum, &lib.EraseSF, &lib.ResetDevice,
                            &lib.UnInitialize_DriverInterface});
}

void FailWithLog(CVarnelCameraDlg& record, std::u16string_view line) {
  record.WriteLog(line);
  EndRun(record, Ending::kFailed);
}

}  // namespace

uint32_t RunSonixUpdate(CVarnelCameraDlg& record) {
  // Loaded by name at run time, so that a missing library (or its companion driver
  // library) ends as a missing library instead of a program that cannot start.
  BurnerApLib lib;
  const std::unique_ptr<LoadedLibrary> library = BindBurnerApLib(record, lib);
  if (!library) {
    EndRun(record, Ending::kLibraryMissing, 0);
    return 0;
  }
  if (lib.Initialize_DriverInterface(record.m_wVid, record.m_wPid) == 0) {
    FailWithLog(record, u"Init SONIX camera module error!\r\n");
    return 0;
  }

  g_nSelectedPart = 0;
  const uint8_t* image = record.m_pImage.get();
  size_t imageSize = static_cast<size_t>(std::max(record.m_nImageSize, 0));
  if (record.m_bMultiImage) {
    uint8_t identity[kIdentityBytes] = {};
    lib.ReqToDriver(api::kCommandRead, kIdentityAddress, identity, kIdentityBytes);
    const int part = ChoosePart(identity);
    if (part == 0) {
      EndRun(record, Ending::kNoMatchingPart, 100);
      return 0;
    }
    TakePart(record, part);
    image = g_pPartImage[part].get();
    imageSize = static_cast<size_t>(g_nPartImageSize[part]);
  }

  unsigned short protectionAddress = ProtectionAddress(lib);
  unsigned char protectionByte = 0;
  unsigned short protectionWord = 0xFFFF;
  lib.ReqToDriver(api::kCommandRead, protectionAddress, &protectionByte, 1);
  if (!lib.SetWriteProtect(false, protectionWord, protectionByte)) {
    FailWithLog(record, u"Set write protect error!\r\n");
    return 0;
  }

  // The burn always takes 64 KiB: a shorter image is padded with 0xFF, the value of erased
  // flash, so the bytes past its end stay as the erase left them.
  std::vector<uint8_t> burn(std::max<size_t>(imageSize, kBurnBytes), 0xFF);
  std::copy(image, image + imageSize, burn.begin());

  if (record.m_bMultiImage && EndIfPartIsCurrent(record, 3, g_nSelectedPart)) return 0;

  if (!lib.GetSerialNum(burn.data(), kBurnBytes)) {
    FailWithLog(record, u"Get Serial Number Fail!\r\n");
    return 0;
  }
  record.m_nProgress = 20;
  if (!lib.EraseSF()) {
    FailWithLog(record, u"Erase Fail!\r\n");
    return 0;
  }
  record.m_nProgress = 40;
  if (!lib.ReqToDriver(api::kCommandWrite, 0, burn.data(), kBurnBytes)) {
    FailWithLog(record, u"Burn Process Fail!\r\n");
    return 0;
  }
  record.m_nProgress = 80;
  std::vector<uint8_t> readBack(kBurnBytes);
  if (!lib.ReqToDriver(api::kCommandRead, 0, readBack.data(), kBurnBytes)) {
    FailWithLog(record, u"Verify Process Fail!\r\n");
    return 0;
  }
  const auto difference = std::mismatch(readBack.begin(), readBack.end(), burn.begin());
  if (difference.first != readBack.end()) {
    const auto address = static_cast<unsigned>(difference.first - readBack.begin());
    record.WriteLog(u"Error! SF Data[%x]=%x , Buffer[%x]=%x\r\n",
                    {address, unsigned{*difference.first}, address, unsigned{*difference.second}});
    EndRun(record, Ending::kFailed);
    return 0;
  }
  if (!lib.SetWriteProtect(true, protectionWord, protectionByte)) {
    EndRun(record, Ending::kFailed);
    return 0;
  }
  lib.ResetDevice();
  lib.UnInitialize_DriverInterface();
  EndRun(record, Ending::kUpdated, 100);
  return 0;
}

}  // namespace ostrel
