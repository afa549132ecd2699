#include "update_record.h"

#include <algorithm>
#include <iterator>

namespace ostrel {

CVarnelCameraDlg::CVarnelCameraDlg(Platform& platform) : platform_(platform) {}

CVarnelCameraDlg::~CVarnelCameraDlg() {
  m_pLogFile.Close();
  for (auto& part : g_pPartImage) part.reset();
  g_szDevicePaths.reset();
}

void CVarnelCameraDlg::SetControlText(int controlId, const std::u16string& text) {
  if (g_bShowWindow && view_ != nullptr) view_->SetControlText(controlId, text);
}

void CVarnelCameraDlg::ShowStateBitmap(int bitmapId) {
  if (g_bShowWindow && view_ != nullptr) view_->ShowStateBitmap(bitmapId);
}

void CVarnelCameraDlg::SetProgressPosition(int position) {
  if (g_bShowWindow && view_ != nullptr) view_->SetProgressPosition(position);
}

void CVarnelCameraDlg::EnableClose(bool enabled) {
  if (g_bShowWindow && view_ != nullptr) view_->EnableControl(m_btnClose.id, enabled);
}

void CVarnelCameraDlg::StartUpdateTimer() {
  if (g_bShowWindow && view_ != nullptr) view_->StartTimer(kUpdateTimerId, kUpdateTimerPeriodMs);
}

void CVarnelCameraDlg::KillUpdateTimer() {
  if (g_bShowWindow && view_ != nullptr) view_->KillTimer(kUpdateTimerId);
}

std::u16string CVarnelCameraDlg::ProgramPath(
    std::initializer_list<std::u16string_view> parts) const {
  std::u16string path(m_szAppDir);
  for (const auto part : parts) {
    path += platform_.PathSeparator();
    path += part;
  }
  return path;
}

void CVarnelCameraDlg::SetStartValues() {
  m_nState = kStateIdle;
  m_nProgress = 0;
  m_pImage.reset();
  m_hImageFile.reset();
  m_bFinished = 0;
  m_bUpdating = 0;
  m_wPid = m_wVid = m_wBcd = 0;
  m_nPidCount = 0;
  m_pPidList.reset();
  m_nPidIndex = -1;
  std::fill(std::begin(m_szBinName), std::end(m_szBinName), u'\0');
  m_nChipVendor = 0;
  m_bMultiImage = 0;
  m_bRomMode = 0;
  m_nDeviceIndex = -1;
  g_szDevicePaths.reset(new char[kDevicePathCount][kDevicePathBytes]());
  for (int n = 0; n <= kPartCount; ++n) {
    g_pPartImage[n].reset();
    g_nPartImageSize[n] = 0;
  }
}

bool CVarnelCameraDlg::TakeProgramDirectory() {
  const std::u16string program = platform_.ProgramFilePath();
  const size_t cut = program.find_last_of(u"\\/");
  const std::u16string folder = cut == std::u16string::npos ? std::u16string() : program.substr(0, cut);
  std::fill(std::begin(m_szAppDir), std::end(m_szAppDir), u'\0');
  if (folder.empty() || folder.size() >= kNameChars) return false;
  std::copy(folder.begin(), folder.end(), m_szAppDir);
  return true;
}

void CVarnelCameraDlg::StartRecordThread(std::function<void()> work) {
  ++recordThreads_;
  platform_.StartThread([this, work = std::move(work)] {
    work();
    --recordThreads_;  // the thread's last touch of the record
  });
}

bool CVarnelCameraDlg::WaitForRecordThreads(uint32_t limitMs) {
  constexpr uint32_t kPollMs = 10;
  for (uint32_t waited = 0; recordThreads_ > 0; waited += kPollMs) {
    if (waited >= limitMs) return false;
    platform_.SleepMs(kPollMs);
  }
  return true;
}

}  // namespace ostrel
