// The ZEL engine: writes the loaded image into a ZEL camera through Tandrel's download
// exports, which it looks up by name in the library beside the program.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "engines/engines.h"
#include "engines/run_ending.h"
#include "engines/vendor_engine.h"
#include "text/utf16.h"
#include "update_record.h"
#include "zel/download_sequence.h"

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

// What the update decides along the ZEL sequence. The camera's manufacturer name lives in the
// flash the erase clears, so it is kept in the bin folder before the erase: a camera whose update
// was interrupted after the erase has no device descriptor left, nor the name, and gets the name
// back from there.
class EngineSteps : public zel::DownloadHost {
 public:
  explicit EngineSteps(CVarnelCameraDlg& record)
      : record_(record), backup_(record.ProgramPath({u"bin", u"Manufacturer.bin"})) {}

  bool Proceed(std::optional<uint16_t>) override { return true; }

  zel::NameWithoutDescriptor NameForAnInvalidDescriptor() override {
    const auto file = record_.platform().OpenFileForReading(backup_);
    if (!file) return {zel::NameWithoutDescriptor::Source::kCamera, {}};
    char name[zel::kNameBytes] = {};
    name[file->Read(reinterpret_cast<uint8_t*>(name), zel::kNameBytes - 1)] = '\0';
    record_.WriteLog(u"Restore the manufacturer [%s]\r\n", {text::Cp1252ToUtf16(name)});
    return {zel::NameWithoutDescriptor::Source::kGiven, name};
  }

  void NameRead(const std::string& name, bool descriptorValid) override {
    if (descriptorValid) record_.platform().WriteWholeFile(backup_, name);
  }

  void Reached(zel::DownloadStep step) override {
    switch (step) {
      case zel::DownloadStep::kNameKnown: break;
      case zel::DownloadStep::kErased: record_.m_nProgress = 40; break;
      case zel::DownloadStep::kNameCarried: record_.m_nProgress = 60; break;
      case zel::DownloadStep::kWritten: record_.m_nProgress = 95; break;
      case zel::DownloadStep::kReset: break;
    }
  }

 private:
  CVarnelCameraDlg& record_;
  const std::u16string backup_;
};

// The download exports, each called through the call gate.
class GatedDownloadCalls : public zel::DownloadExports {
 public:
  explicit GatedDownloadCalls(const TandrelExports& tandrel) : tandrel_(tandrel) {}
  int FlashRead(int address, unsigned char* buffer, int length) const override {
    return tandrel_.flashRead(address, buffer, length);
  }
  int GetiManufacturer(char* text, int size, int* count) const override {
    return tandrel_.getiManufacturer(text, size, count);
  }
  int EepromErase() const override { return tandrel_.eepromErase(); }
  int SetManufacturer(unsigned char* image, int reserved, const char* name) const override {
    return tandrel_.setManufacturer(image, reserved, name);
  }
  int DownLoad2(int reserved, int address, const unsigned char* image, int length) const override {
    return tandrel_.downLoad2(reserved, address, image, length);
  }
  int ResetIc() const override { return tandrel_.resetIc(); }

 private:
  const TandrelExports& tandrel_;
};

}  // namespace

uint32_t RunZelUpdate(CVarnelCameraDlg& record) {
  record.m_nState = kStateStarted;
  TandrelExports tandrel{};
  const auto library = BindTandrel(record.platform(), tandrel);
  if (!library) {
    EndRun(record, Ending::kLibraryMissing, 0);
    return 0;
  }

  std::shared_ptr<void> handle;
  const bool connected = ConnectCamera(record, tandrel, handle);
  record.platform().DebugOutput(connected ? u"Connect device, ok\n" : u"Connect device, failed...\n");
  if (!connected) {
    EndRun(record, Ending::kFailed, 100);
    return 0;
  }
  record.m_nProgress = 20;
  record.m_nState = kStateEngineWorking;

  EngineSteps steps(record);
  const int32_t length = std::clamp<int32_t>(record.m_nImageSize, 0, kImageBufferBytes);
  const zel::DownloadResult result =
      zel::RunDownload(GatedDownloadCalls(tandrel), record.m_pImage.get(), length, steps);
  switch (result.end) {
    case zel::DownloadEnd::kDescriptorReadFailed:
    case zel::DownloadEnd::kNameReadFailed:
      record.WriteLog(u"Get Manufacturer Fail!\r\n");
      EndRun(record, Ending::kFailed, 100);
      return 0;
    case zel::DownloadEnd::kStopped:
    case zel::DownloadEnd::kWriteFailed:
      EndRun(record, Ending::kFailed, 100);
      return 0;
    case zel::DownloadEnd::kDone:
      break;
  }
  record.platform().DebugOutput(result.reset ? u"Reset, end\n" : u"Reset, failed\n");
  // A written and verified image counts as success even when the reset fails.
  EndRun(record, Ending::kUpdated, 100);
  return 0;
}

}  // namespace ostrel
