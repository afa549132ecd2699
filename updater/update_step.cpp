// The update step, run once when a camera and its firmware were accepted: load the image,
// compare versions, and start the chip vendor's engine.
#include "engines/engines.h"
#include "image_version.h"
#include "update_record.h"
#include "wide_format.h"
#include "zel/device_descriptor.h"

namespace ostrel {
namespace {

// The chip vendor number of the ZEL path in pid.ini.
constexpr int32_t kZelVendor = 4;

}  // namespace

bool CVarnelCameraDlg::LoadSingleImage() {
  WriteLog(u"Auto load the file[%s], ", {m_szBinName});
  m_hImageFile = platform_.OpenFileForReading(m_strImagePath);
  const std::optional<uint64_t> size =
      m_hImageFile ? m_hImageFile->Size() : std::optional<uint64_t>();
  // An image larger than its buffer is refused like a missing one, never read past it.
  if (!size || *size == 0 || *size > kImageBufferBytes) return RefuseImage();
  m_nImageSize = static_cast<int32_t>(*size);
  m_nBytesRead = m_hImageFile->Read(m_pImage.get(), static_cast<uint32_t>(*size));
  m_hImageFile.reset();
  // A ZEL image without its device descriptor is no firmware: refused before the engine
  // erases anything, since burning it would leave a camera that cannot enumerate.
  if (m_nChipVendor == kZelVendor &&
      !zel::StoredDeviceDescriptorRelease(m_pImage.get(), static_cast<size_t>(m_nBytesRead))) {
    return RefuseImage();
  }
  WriteLog(u"load ok.\r\n");
  return true;
}

bool CVarnelCameraDlg::RefuseImage() {
  m_hImageFile.reset();
  WriteLog(u"load fail!\r\n");
  SetStatus(FormatWide(u"No file[%s]!", {m_szBinName}));
  ShowStateBitmap(kBmpFailure);
  g_nExitCode = kOutcomeLoadFailed;
  g_bEngineRunning = 0;
  return false;
}

void CVarnelCameraDlg::StartUpdate() {
  KillUpdateTimer();
  m_pImage = std::make_unique<uint8_t[]>(kImageBufferBytes);
  if (!m_bMultiImage && !LoadSingleImage()) return;

  const uint16_t version = ReadImageVersion(m_nChipVendor, m_pImage.get(),
                                            m_bMultiImage ? 0 : static_cast<size_t>(m_nImageSize),
                                            m_bMultiImage != 0);
  if (!m_bMultiImage) {
    SetControlText(kCtlImageVersion, FormatWide(u"%04X", {unsigned{version}}));
    if (version == m_wBcd) {
      WriteLog(u"**FW version is the same, skip update!\r\n");
      m_bFinished = 1;
      SetStatus(u"FW is up-to-date!");
      ShowStateBitmap(kBmpNothingDone);
      g_nExitCode = kOutcomeSuccess;
      g_bEngineRunning = 0;
      return;
    }
  }

  WriteBackSettings();
  m_bUpdating = 1;
  EnableClose(false);
  m_nState = kStateStarted;
  m_nProgress = 0;
  WriteLog(u"Start update!\r\n");
  SetStatus(u"Don't turn off power!");
  StartEngine();
}

void CVarnelCameraDlg::StartEngine() {
  const EngineEntry engine = EngineForVendor(m_nChipVendor);
  if (engine == nullptr) {
    g_bEngineRunning = 0;
    g_nExitCode = kOutcomeUnknownVendor;
    // No thread will end this update: leave the window closable.
    m_bUpdating = 0;
    EnableClose(true);
    return;
  }
  g_bEngineRunning = 1;
  StartRecordThread([this, engine] { engine(*this); });
  if (g_bShowWindow) StartRecordThread([this] { SuperviseUpdate(*this); });
}

}  // namespace ostrel
