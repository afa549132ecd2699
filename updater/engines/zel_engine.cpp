// The ZEL engine: writes the loaded image into a ZEL camera through Tandrel's download
// exports, which it looks up by name in the library beside the program.
#include <algorithm>
#include <memory>

#include "engines/engines.h"
#include "update_record.h"

namespace ostrel {
namespace {

using InitializeFn = int (*)();
using UnInitializeFn = int (*)();
using DownLoad2Fn = int (*)(int reserved, int address, const unsigned char* image, int length);
using EepromEraseFn = int (*)();
using SetManufacturerFn = int (*)(unsigned char* image, int reserved, const char* name);
using GetManufacturerFn = void (*)(char* name, unsigned char* nameLength);
using ResetIcFn = int (*)();

struct TandrelExports {
  InitializeFn initialize;
  UnInitializeFn unInitialize;  // looked up for completeness of the binding, never called
  DownLoad2Fn downLoad2;
  EepromEraseFn eepromErase;
  SetManufacturerFn setManufacturer;
  GetManufacturerFn getManufacturer;
  ResetIcFn resetIc;
};

template <typename Fn>
bool Bind(LoadedLibrary& library, const char* name, Fn& function) {
  function = reinterpret_cast<Fn>(library.Symbol(name));
  return function != nullptr;
}

bool BindExports(LoadedLibrary& library, TandrelExports& e) {
  return Bind(library, "pfn_RvcLib_Initialize", e.initialize) &&
         Bind(library, "pfn_RvcLib_UnInitialize", e.unInitialize) &&
         Bind(library, "pfn_EEPROM_DownLoad2", e.downLoad2) &&
         Bind(library, "pfn_UVC_EEPROMErase", e.eepromErase) &&
         Bind(library, "pfn_UVC_SetManufactureStringToFW", e.setManufacturer) &&
         Bind(library, "pfn_GetManufacturer", e.getManufacturer) &&
         Bind(library, "pfn_UVC_ResetIC", e.resetIc);
}

void Fail(CVarnelCameraDlg& record) {
  // The state goes first, so that no watcher sees progress 100 without the failure.
  record.m_nState = kStateFailed;
  record.m_nProgress = 100;
  g_nExitCode = kOutcomeUpdateFailed;
}

}  // namespace

uint32_t RunZelUpdate(CVarnelCameraDlg& record) {
  record.m_nState = kStateStarted;
  const auto library = record.platform().LoadProgramLibrary(u"Tandrel.dll");
  TandrelExports tandrel{};
  if (!library || !BindExports(*library, tandrel)) {
    record.m_nProgress = 0;
    record.m_nState = kStateLibraryMissing;
    g_nExitCode = kOutcomeUpdateFailed;
    return 0;
  }

  const bool connected = tandrel.initialize() == 0;
  record.platform().DebugOutput(connected ? u"Connect device, ok\n" : u"Connect device, failed...\n");
  if (!connected) {
    Fail(record);
    return 0;
  }
  record.m_nProgress = 20;
  record.m_nState = kStateEngineWorking;

  char name[256] = {};
  unsigned char nameLength = 0;
  tandrel.getManufacturer(name, &nameLength);
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
