// The ZEL engine: writes the loaded image into a ZEL camera through Tandrel's download
// exports, which it looks up by name in the library beside the program.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "engines/engines.h"
#include "engines/vendor_engine.h"
#include "text/utf16.h"
#include "update_record.h"
#include "zel/device_descriptor.h"
#include "zel/manufacturer_name.h"

namespace ostrel {
namespace {

using InitializeFn = int (*)();
using UnInitializeFn = int (*)();
using DownLoad2Fn = int (*)(int reserved, int address, const unsigned char* image, int length);
using EepromEraseFn = int (*)();
using SetManufacturerFn = int (*)(unsigned char* image, int reserved, const char* name);
using GetManufacturerFn = void (*)(char* name, unsigned char* nameLength);
using GetiManufacturerFn = int (*)(char* text, int size, int* count);
using FlashReadFn = int (*)(int address, unsigned char* buffer, int length);
using ResetIcFn = int (*)();
using SetDeviceHandleFn = int (*)(void* device);

// The name buffer pfn_GetManufacturer fills, and so the size the name read is given.
constexpr int kManufacturerNameBytes = 256;

struct TandrelExports {
  // Binds a camera of its own choice: only for the boot-ROM path.
  VendorFunction<InitializeFn> initialize{"pfn_RvcLib_Initialize"};
  // Looked up for completeness of the binding, never called.
  VendorFunction<UnInitializeFn> unInitialize{"pfn_RvcLib_UnInitialize"};
  VendorFunction<DownLoad2Fn> downLoad2{"pfn_EEPROM_DownLoad2"};
  VendorFunction<EepromEraseFn> eepromErase{"pfn_UVC_EEPROMErase"};
  VendorFunction<SetManufacturerFn> setManufacturer{"pfn_UVC_SetManufactureStringToFW"};
  // Looked up as the download exports are, but the name is read through the call it makes,
  // whose result tells a failed read from a camera without a name.
  VendorFunction<GetManufacturerFn> getManufacturer{"pfn_GetManufacturer"};
  VendorFunction<ResetIcFn> resetIc{"pfn_UVC_ResetIC"};
  VendorFunction<SetDeviceHandleFn> setDeviceHandle{"ZelSetDeviceHandle"};
  VendorFunction<GetiManufacturerFn> getiManufacturer{"ZelGetiManufacturer"};
  VendorFunction<FlashReadFn> flashRead{"ZelFlashRead"};
};

// The library beside the program with its exports, looked up in this order.
std::unique_ptr<LoadedLibrary> BindTandrel(Platform& platform, TandrelExports& tandrel) {
  return LoadVendorLibrary(platform, u"Tandrel.dll",
                           {&tandrel.initialize, &tandrel.unInitialize, &tandrel.downLoad2,
                            &tandrel.eepromErase, &tandrel.setManufacturer,
                            &tandrel.getManufacturer, &tandrel.resetIc, &tandrel.setDeviceHandle,
                            &tandrel.getiManufacturer, &tandrel.flashRead});
}

// Binds the camera to write; true when the library reports it bound. The camera that detection
// identified by its product id is bound by its own handle, which must stay alive while the
// library uses it. pfn_RvcLib_Initialize is not called then: it binds every supported camera
// in turn, leaving whichever it took last bound, and its probes would add requests to the
// camera's. A boot-ROM camera was identified by no device of its own, so the library binds
// it as before.
bool ConnectCamera(CVarnelCameraDlg& record, const TandrelExports& tandrel,
                   std::shared_ptr<void>& handle) {
  const int32_t index = record.m_nDeviceIndex;
  if (index < 0) return tandrel.initialize() == 0;
  if (index >= kDevicePathCount || !g_szDevicePaths) return false;
  std::u16string refusal;
  handle = record.platform().OpenDeviceHandle(g_szDevicePaths[index], refusal);
  if (!refusal.empty()) record.WriteLog(u"%s", {refusal});
  return handle != nullptr && tandrel.setDeviceHandle(handle.get()) == 0;
}

// The camera's manufacturer name as the update carries it. It lives in the flash the erase
// clears, so it is kept in the bin folder before the erase: a camera whose update was
// interrupted after the erase has no device descriptor left, nor the name, and gets the name
// back from there. false when the camera did not answer: nothing may be erased then.
bool TakeManufacturerName(CVarnelCameraDlg& record, const TandrelExports& tandrel,
                          char (&name)[kManufacturerNameBytes]) {
  const std::u16string backup = record.ProgramPath({u"bin", u"Manufacturer.bin"});
  uint8_t descriptor[zel::kDeviceDescriptorBytes] = {};
  if (tandrel.flashRead(static_cast<int>(zel::kDeviceDescriptorAddress), descriptor,
                        static_cast<int>(sizeof descriptor)) != 0) {
    return false;
  }
  if (!zel::DeviceDescriptorRelease(descriptor)) {
    if (const auto file = record.platform().OpenFileForReading(backup)) {
      name[file->Read(reinterpret_cast<uint8_t*>(name), kManufacturerNameBytes - 1)] = '\0';
      record.WriteLog(u"Restore the manufacturer [%s]\r\n", {text::Cp1252ToUtf16(name)});
      return true;
    }
  }
  int count = 0;
  if (!zel::ManufacturerNameAnswered(tandrel.getiManufacturer(name, kManufacturerNameBytes, &count))) {
    return false;
  }
  if (zel::DeviceDescriptorRelease(descriptor)) {
    record.platform().WriteWholeFile(backup, std::string(name, strnlen(name, kManufacturerNameBytes)));
  }
  return true;
}

void Fail(CVarnelCameraDlg& record) {
  // The code is final before any watcher can see the end, and the state goes before the
  // progress, so that nobody sees progress 100 without the failure.
  g_nExitCode = kOutcomeUpdateFailed;
  record.m_nState = kStateFailed;
  record.m_nProgress = 100;
}

}  // namespace

uint32_t RunZelUpdate(CVarnelCameraDlg& record) {
  record.m_nState = kStateStarted;
  TandrelExports tandrel{};
  const auto library = BindTandrel(record.platform(), tandrel);
  if (!library) {
    EndLibraryMissing(record);
    return 0;
  }

  std::shared_ptr<void> handle;
  const bool connected = ConnectCamera(record, tandrel, handle);
  record.platform().DebugOutput(connected ? u"Connect device, ok\n" : u"Connect device, failed...\n");
  if (!connected) {
    Fail(record);
    return 0;
  }
  record.m_nProgress = 20;
  record.m_nState = kStateEngineWorking;

  char name[kManufacturerNameBytes] = {};
  if (!TakeManufacturerName(record, tandrel, name)) {
    record.WriteLog(u"Get Manufacturer Fail!\r\n");
    Fail(record);
    return 0;
  }
  tandrel.eepromErase();
  record.m_nProgress = 40;

  // The name is carried into a private copy: the loaded image stays as it was read.
  const int32_t length = std::clamp<int32_t>(record.m_nImageSize, 0, kImageBufferBytes);
  const auto copy = std::make_unique<unsigned char[]>(kImageBufferBytes);
  std::copy_n(record.m_pImage.get(), length, copy.get());
  tandrel.setManufacturer(copy.get(), 1, name);
  record.m_nProgress = 60;

  if (tandrel.downLoad2(1, 0, copy.get(), length) != 0) {
    Fail(record);
    return 0;
  }
  record.m_nProgress = 95;
  const bool reset = tandrel.resetIc() == 0;
  record.platform().DebugOutput(reset ? u"Reset, end\n" : u"Reset, failed\n");
  // A written and verified image counts as success even when the reset fails.
  record.m_nProgress = 100;
  record.m_nState = kStateFinished;
  g_nExitCode = kOutcomeSuccess;
  return 0;
}

}  // namespace ostrel
