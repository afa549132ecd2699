// One run of a scenario on one transport, in a folder of its own: the world (simcam.ini, the
// ZEL camera's flash, the trace), a fresh copy of the library loaded by its full path and its
// exports looked up by name. On the kernel-streaming side the folder also holds the test
// camera's COM server, registered in the prefix for the run; on the V4L2 side the world's
// cameras are on the running kernel's bus (usbip_camera) for as long as the run lasts.
#pragma once

#ifdef _WIN32
#include <dshow.h>
#include <windows.h>
#else
#include <sys/types.h>
#endif

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "tandrel.h"
#ifdef _WIN32
#include "win32/com_ptr.h"
#endif

namespace platform_test {

// The exports the scenarios call, with the types of the public header.
#define TANDREL_SCENARIO_EXPORTS(X)                                                          \
  X(ZelSetDeviceHandle) X(ZelClearDeviceHandle) X(pfn_RvcLib_Initialize)                      \
  X(pfn_RvcLib_UnInitialize) X(ZelFlashErase) X(ZelFlashEraseStatus) X(ZelFlashSectorErase)   \
  X(ZelFlashCustom) X(ZelFlashWrite) X(ZelFlashRead) X(ZelFlashSetSpiConfig) X(ZelMmioWrite)  \
  X(ZelMmioRead) X(ZelBatchMmioWrite) X(ZelBatchMmioRead) X(pfn_GetManufacturer)             \
  X(pfn_UVC_SetManufactureStringToFW) X(pfn_UVC_EEPROMErase) X(pfn_EEPROM_DownLoad2)          \
  X(pfn_UVC_ResetIC) X(ZelSetPll) X(ZelReset) X(ZelUsbBoot) X(ZelXuSet) X(ZelXuGet)           \
  X(ZelAutoUpdateInit) X(ZelAutoUpdateUninit) X(ZelEncoderGetParams) X(ZelEncoderSetGOP)      \
  X(ZelEncoderGetGOP) X(ZelEncoderGetStreamCaps) X(ZelSetLedMode) X(ZelGetLedMode)            \
  X(ZelSetPanTilt) X(ZelGetPanTilt) X(NorvGetDeviceInfo) X(NorvSetLed) X(NorvGetLed)          \
  X(NorvSetAeMaxTime) X(NorvGetAeMaxTime) X(ZelVideoSetMirror) X(ZelVideoGetMirror)           \
  X(ZelAudioSetEqualizer) X(ZelAudioGetEqualizer) X(ZelSetSpecialEffect)                      \
  X(ZelGetFirmwareVersion) X(ZelGetSerialNumber) X(ZelGetiManufacturer)                       \
  X(ZelSetCustomSerialNumber) X(ZelGetCustomSerialNumber) X(ZelGetSystemInfornation)

struct TandrelExports {
#define PLATFORM_TEST_EXPORT_POINTER(name) decltype(&::name) name = nullptr;
  TANDREL_SCENARIO_EXPORTS(PLATFORM_TEST_EXPORT_POINTER)
#undef PLATFORM_TEST_EXPORT_POINTER
};

enum class Transport {
  kSimulated,        // the simulated Tandrel.dll on the simulated camera
  kKernelStreaming,  // the real Tandrel.dll through DirectShow on the Windows test camera
  kV4l2,             // the real libtandrel.so through uvcvideo on the kernel bench's cameras
};

// The world of a run: simcam.ini's text, the DevicePath of each camera in order, and the
// content of camera2.flash (none when empty).
struct World {
  std::string iniText;
  std::vector<std::string> devicePaths;
  std::vector<uint8_t> zelFlash;
};

class LibraryRun {
 public:
  LibraryRun(Transport transport, const std::filesystem::path& folder, const World& world);
  ~LibraryRun();
  LibraryRun(const LibraryRun&) = delete;
  LibraryRun& operator=(const LibraryRun&) = delete;

  // Empty when the run is ready; otherwise what went wrong while preparing it.
  const std::string& SetupError() const { return setupError_; }
  const TandrelExports& Tandrel() const { return exports_; }

  // What a host hands ZelSetDeviceHandle for CameraN of the world: its DevicePath text in the
  // simulated world, the capture filter the system device enumerator binds on Windows, the
  // capture node's path on Linux.
  void* CameraHandle(int number);

#ifdef _WIN32
  // Whether the test camera's server could unload now (its DllCanUnloadNow): false while the
  // library or the run holds any of its objects. Kernel-streaming runs only.
  bool CameraServerIdle() const;
#endif

  // One line per call: what was called, its result and its outputs. Any thread may record.
  void Record(const std::string& line);
  std::vector<std::string> Results() const;
  std::vector<std::string> Trace() const;

 private:
  std::string Prepare(Transport transport, const World& world);
  std::string Load();

  const Transport transport_;
  const std::filesystem::path folder_;
  const std::vector<std::string> devicePaths_;
  std::string setupError_;
  TandrelExports exports_;
#ifdef _WIN32
  bool comInitialised_ = false;
  HMODULE library_ = nullptr;
  std::vector<win32::ComPtr<IBaseFilter>> filters_;
#else
  void* library_ = nullptr;
  pid_t cameraServer_ = -1;
  std::vector<std::string> nodes_;
#endif
  mutable std::mutex mutex_;
  std::vector<std::string> results_;
};

}  // namespace platform_test
