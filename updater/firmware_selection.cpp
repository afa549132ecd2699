// The firmware for the matched pid.ini section: one image, or up to four per-part images.
#include <iterator>

#include "config_rules.h"
#include "update_record.h"
#include "wide_format.h"

namespace ostrel {
namespace {

constexpr char16_t kChipDefault[] = u"SF.bin";

}  // namespace

int CVarnelCameraDlg::SelectFirmware(int index) {
  if (index < 0 || index >= m_nPidCount) return 1;
  // The digits as written in the file, not re-formatted from the parsed id.
  const char16_t* digits = m_szSectionNames + kSectionSlotChars * static_cast<size_t>(index) + 4;
  const std::u16string section =
      FormatWide(u"PID_%c%c%c%c", {digits[0], digits[1], digits[2], digits[3]});

  platform_.ReadProfileString(m_strPidIni, section, u"CHIP", kChipDefault, m_szBinName,
                             std::size(m_szBinName));
  m_nChipVendor = DecimalValue(m_szBinName);
  platform_.ReadProfileString(m_strPidIni, section, u"BIN", std::u16string(kBinSentinel),
                             m_szBinName, std::size(m_szBinName));
  if (!IsBinSentinel(m_szBinName)) {
    m_strImagePath = ProgramPath({u"bin", m_szBinName});
    return 0;
  }

  m_bMultiImage = 1;
  bool found = false;
  for (int n = 1; n <= kPartCount; ++n) {
    const std::u16string partSection =
        FormatWide(u"P%dD_%c%c%c%c", {n, digits[0], digits[1], digits[2], digits[3]});
    platform_.ReadProfileString(m_strPidIni, partSection, u"BIN", std::u16string(kBinSentinel),
                               g_szPartBinName[n], std::size(g_szPartBinName[n]));
    platform_.ReadProfileString(m_strPidIni, partSection, u"BIN", std::u16string(kBinSentinel),
                               m_szBinName, std::size(m_szBinName));
    if (IsBinSentinel(m_szBinName)) continue;
    const std::u16string path = ProgramPath({u"bin", m_szBinName});
    // m_szBinName holds the part's CHIP text from here on, not a file name.
    platform_.ReadProfileString(m_strPidIni, partSection, u"CHIP", kChipDefault, m_szBinName,
                               std::size(m_szBinName));
    m_nChipVendor = DecimalValue(m_szBinName);
    if (LoadPartImage(n, path) == 1) found = true;
  }
  return found ? 0 : 1;
}

int CVarnelCameraDlg::LoadPartImage(int n, const std::u16string& path) {
  if (n < 1 || n > kPartCount) return 0;
  g_pPartImage[n].reset();
  g_nPartImageSize[n] = 0;
  const std::unique_ptr<ReadableFile> file = platform_.OpenFileForReading(path);
  // A part that cannot be opened counts as found with its entry empty; engines skip it.
  if (file == nullptr) return 1;
  const std::optional<uint64_t> size = file->Size();
  // Empty, of unknown size, or larger than its buffer: skipped.
  if (!size || *size == 0 || *size > kPartImageBytes) return 0;
  g_pPartImage[n] = std::make_unique<uint8_t[]>(kPartImageBytes);
  g_nPartImageSize[n] = static_cast<int32_t>(*size);
  file->Read(g_pPartImage[n].get(), static_cast<uint32_t>(*size));
  return 1;
}

}  // namespace ostrel
