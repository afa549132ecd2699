// The configuration files: pid.ini's product-id list and the settings file's saved choice.
#include <iterator>

#include "config_rules.h"
#include "update_record.h"
#include "wide_format.h"

namespace ostrel {
namespace {

constexpr char16_t kSettingSection[] = u"SETTING";
constexpr char16_t kChipKey[] = u"CHIP";
constexpr char16_t kBinKey[] = u"BIN";

}  // namespace

void CVarnelCameraDlg::ReadPidList() {
  const uint32_t copied =
      platform_.GetProfileSectionNames(m_strPidIni, m_szSectionNames, std::size(m_szSectionNames));
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
  platform_.ReadProfileString(m_strSettingIni, kSettingSection, kChipKey, u"", chip, std::size(chip));
  m_nChipVendor = DecimalValue(chip);
  platform_.ReadProfileString(m_strSettingIni, kSettingSection, kBinKey, u"", m_szBinName,
                             std::size(m_szBinName));
  m_strImagePath = ProgramPath({u"bin", m_szBinName});
}

void CVarnelCameraDlg::WriteBackSettings() {
  platform_.WriteProfileValue(m_strSettingIni, kSettingSection, kChipKey,
                               FormatWide(u"%d", {m_nChipVendor}));
  if (!m_bMultiImage) {
    platform_.WriteProfileValue(m_strSettingIni, kSettingSection, kBinKey, m_szBinName);
  }
}

}  // namespace ostrel
