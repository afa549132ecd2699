// The update record: the one object that holds all state of a run. It is the main dialog
// object, shared by the window (or the silent run), the engine thread and the supervision
// thread. Fields keep their established names and widths; those polled across threads are atomic.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "outcome.h"
#include "platform/platform.h"
#include "program_values.h"
#include "update_log.h"

namespace ostrel {

constexpr uint32_t kImageBufferBytes = 0x20000;
constexpr int kSectionNameChars = 1000;

// A control of the dialog the record is bound to.
struct DialogControl {
  int id;
};

class CVarnelCameraDlg {
 public:
  explicit CVarnelCameraDlg(Platform& platform);
  CVarnelCameraDlg(const CVarnelCameraDlg&) = delete;
  CVarnelCameraDlg& operator=(const CVarnelCameraDlg&) = delete;
  ~CVarnelCameraDlg();

  // The initialisation step of both runs; view is the window in the windowed run, nullptr
  // in the silent run.
  void InitSession(DialogView* view);
  // The update step: the handler of timer 2457, called directly by the silent run.
  void StartUpdate();

  // Detection: stores the USB video devices' paths (at most ten) and returns their count.
  int EnumerateVideoDevices();
  // Reads the identity of the index-th stored device into m_wVid, m_wPid and m_wBcd when an
  // imaging-class entry belongs to it; 1 when the list is unavailable, else 0.
  int FindCameraIdentity(int index);

  // Configuration: pid.ini's product-id list into m_nPidCount and m_pPidList.
  void ReadPidList();
  // True when a configuration file may be read: missing, or a regular file within the
  // profile size limit. Anything else is logged and read as if it were empty.
  bool ConfigFileUsable(const std::u16string& path);
  // The firmware of the index-th pid.ini section: 0 on success, 1 on failure.
  int SelectFirmware(int index);
  // Part n (1 to 4) of a per-part firmware: 1 when it counts as found, 0 when skipped.
  int LoadPartImage(int n, const std::u16string& path);
  // The chip vendor and image a boot-ROM camera is updated with: the last saved choice.
  void ReadBootRomSettings();
  // Saves the chip vendor (and, with one image, its file name) as the last choice.
  void WriteBackSettings();

  // Window operations; each does nothing in the silent run (g_bShowWindow = 0).
  void SetControlText(int controlId, const std::u16string& text);
  void SetStatus(const std::u16string& text) { SetControlText(kCtlStatus, text); }
  void ShowStateBitmap(int bitmapId);
  void SetProgressPosition(int position);
  void EnableClose(bool enabled);
  void StartUpdateTimer();
  void KillUpdateTimer();

  // One formatted message to the update log (dropped when the log is not open).
  void WriteLog(std::u16string_view format, std::initializer_list<FormatArg> args = {}) {
    m_pLogFile.Write(format, args);
  }

  // Runs work on a thread of its own that uses this record (an engine, the supervision); the
  // record counts it until it returns.
  void StartRecordThread(std::function<void()> work);
  // Waits, up to limitMs of the platform clock, for every such thread to return; true when
  // none runs any more.
  bool WaitForRecordThreads(uint32_t limitMs);

  // Platform services for the run's parts (detection, configuration, engines).
  Platform& platform() { return platform_; }

  // --- Fields, in their established order ---
  void* m_hIcon = nullptr;  // the window's icon, owned by the platform's view
  std::atomic<uint8_t> m_nState{kStateIdle};
  std::atomic<uint8_t> m_nProgress{0};
  int32_t m_nImageSize = 0;
  std::unique_ptr<uint8_t[]> m_pImage;
  std::unique_ptr<ReadableFile> m_hImageFile;
  uint32_t m_nBytesRead = 0;
  std::atomic<int32_t> m_bFinished{0};
  std::atomic<int32_t> m_bUpdating{0};
  uint16_t m_wPid = 0;
  uint16_t m_wVid = 0;
  uint16_t m_wBcd = 0;
  std::u16string m_strSettingIni;
  std::u16string m_strLogPath;
  UpdateLog m_pLogFile;
  DialogControl m_progress{kCtlProgress};
  DialogControl m_btnClose{kCtlClose};
  int32_t m_nPidCount = 0;
  char16_t m_szSectionNames[kSectionNameChars] = {};
  std::unique_ptr<uint16_t[]> m_pPidList;
  int32_t m_nPidIndex = -1;
  char16_t m_szBinName[kNameChars] = {};
  char16_t m_szAppDir[kNameChars] = {};
  std::u16string m_strPidIni;
  int32_t m_nChipVendor = 0;
  std::u16string m_strImagePath;
  int32_t m_bMultiImage = 0;
  int32_t m_bRomMode = 0;
  // The entry of g_szDevicePaths whose product id matched pid.ini, -1 when none did (a
  // boot-ROM camera): the camera an engine that binds by handle writes.
  int32_t m_nDeviceIndex = -1;

  // m_nState in the low byte and m_nProgress in the high byte, as the silent run reports them.
  uint16_t StateAndProgress() const {
    return static_cast<uint16_t>(m_nState.load() | (m_nProgress.load() << 8));
  }

  // A path inside the program directory: m_szAppDir, the separator, then the parts joined
  // with the separator.
  std::u16string ProgramPath(std::initializer_list<std::u16string_view> parts) const;

 private:
  void SetStartValues();
  // Fills m_szAppDir from the program file's path; false when it does not fit.
  bool TakeProgramDirectory();
  // Detection and firmware choice, the end of the initialisation step.
  void DetectCameraAndFirmware();
  // Vendor id, product id and current version in the window.
  void ShowIdentity();
  // Reads the single image into m_pImage; false (reported) when it cannot be used.
  bool LoadSingleImage();
  // Reports an image that cannot be loaded or used; returns false.
  bool RefuseImage();
  // Starts the chip vendor's engine and, windowed, its supervision.
  void StartEngine();

  Platform& platform_;
  std::atomic<int> recordThreads_{0};
  DialogView* view_ = nullptr;
};

}  // namespace ostrel
