// The initialisation step shared by the windowed and the silent run.
#include "update_record.h"

namespace ostrel {

void CVarnelCameraDlg::InitSession(DialogView* view) {
  view_ = view;
  SetStartValues();

  if (!TakeProgramDirectory()) {
    // Without its folder the run can find neither its files nor its log: refuse it whole.
    platform_.DebugOutput(u"Ostrel: the program's folder path is too long or unknown");
    m_bFinished = 1;
    g_nExitCode = kOutcomeLoadFailed;
    return;
  }
  m_strPidIni = ProgramPath({u"pid.ini"});
  const std::u16string timeStamp = LogTimeStamp(platform_.LocalTime());
  m_strSettingIni = ProgramPath({u"bin", u"Ostrel_sp.ini"});
  m_strLogPath = ProgramPath({u"bin", u"Ostrel_sp.log"});

  if (!m_pLogFile.Open(m_strLogPath)) {
    // The run goes on without a log; the diagnostic channel says why there is none.
    platform_.DebugOutput(u"Ostrel: cannot open the update log " + m_strLogPath);
  }
  WriteLog(u"===================================%s=======\r\n", {timeStamp});

  ReadPidList();
  DetectCameraAndFirmware();
}

}  // namespace ostrel
