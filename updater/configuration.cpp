// The configuration files: pid.ini's product-id list and the settings file's saved choice.
#include <iterator>

#include "config_rules.h"
#include "fs/file_io.h"
#include "ini/profile_file.h"
#include "update_record.h"
#include "wide_format.h"

namespace ostrel {
namespace {

constexpr char16_t kSettingSection[] = u"SETTING";
constexpr char16_t kChipKey[] = u"CHIP";
constexpr char16_t kBinKey[] = u"BIN";

}  // namespace

bool CVarnelCameraDlg::ConfigFileUsable(const std::u16string& path) {
  const fs::FileInfo file = fs::Inspect(path);
  // A missing file is read as empty, as the profile functions do.
  if (file.kind == fs::FileKind::Missing) return true;
  if (file.kind == fs::FileKind::Regular && file.size <= profile::kMaxFileBytes) return true;
  WriteLog(u"Config file[%s] is not a regular file of at most 1 MiB, ignored.\r\n", {path});
  return false;
}

void CVarnelCameraDlg::ReadPidList() {
  m_szSectionNames[0] = u'\0';
  const uint32_t copied =
      ConfigFileUsable(m_strPidIni)
          ? platform_.GetProfileSectionNames(m_strPidIni, m_szSectionNames,
                                             std::size(m_szSectionNames))
          : 0;
  const std::vector<uint16_t> pids =
      ParsePidList(std::u16string_view(m_szSectionNames, std::min<uint32_t>(copied, kSectionNameChars)));
  m_nPidCount = static_cast<int32_t>(pids.size());
  m_pPidList.reset();
  if (pids.empty()) return;
  m_pPidList = std::make_unique<uint16_t[]>(pids.size());
  std::copy(pids.begin(), pids.end(), m_pPidList.get());
}

void CVarnelCameraDlg::ReadBootRomSettings() {
  char16_t chip[kNameChars] = {};
  m_szBinName[0] = u'\0';
  if (ConfigFileUsable(m_strSettingIni)) {
    platform_.ReadProfileString(m_strSettingIni, kSettingSection, kChipKey, u"", chip,
                               std::size(chip));
    platform_.ReadProfileString(m_strSettingIni, kSettingSection, kBinKey, u"", m_szBinName,
                               std::size(m_szBinName));
  }
  m_nChipVendor = DecimalValue(chip);
  m_strImagePath = ProgramPath({u"bin", m_szBinName});
}

void CVarnelCameraDlg::WriteBackSettings() {
  // A file that cannot be read is not replaced either.
  if (!ConfigFileUsable(m_strSettingIni)) return;
  platform_.WriteProfileValue(m_strSettingIni, kSettingSection, kChipKey,
                               FormatWide(u"%d", {m_nChipVendor}));
  if (!m_bMultiImage) {
    platform_.WriteProfileValue(m_strSettingIni, kSettingSection, kBinKey, m_szBinName);
  }
}

}  // namespace ostrel
