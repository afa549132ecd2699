#include "engines/part_image.h"
#include "engines/run_ending.h"

#include "image_version.h"
#include "update_record.h"
#include "wide_format.h"

namespace ostrel {

bool PartIsLoaded(int n) { return g_pPartImage[n] != nullptr && g_nPartImageSize[n] > 0; }

void TakePart(CVarnelCameraDlg& record, int n) {
  g_nSelectedPart = n;
  record.platform().WriteProfileValue(record.m_strSettingIni, u"SETTING", u"BIN",
                                      g_szPartBinName[n]);
}

bool EndIfPartIsCurrent(CVarnelCameraDlg& record, int32_t vendor, int n) {
  const uint16_t version = ReadImageVersion(vendor, g_pPartImage[n].get(),
                                            static_cast<size_t>(g_nPartImageSize[n]), false);
  record.SetControlText(kCtlImageVersion, FormatWide(u"%04X", {unsigned{version}}));
  if (version != record.m_wBcd) return false;
  record.SetStatus(u"FW is up-to-date!");
  record.ShowStateBitmap(kBmpNothingDone);
  record.WriteLog(u"**FW version is the same, skip update!\r\n");
  EndRun(record, Ending::kNothingToDo, 100);
  return true;
}

}  // namespace ostrel
