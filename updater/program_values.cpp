#include "program_values.h"

#include <algorithm>
#include <iterator>

namespace ostrel {

std::atomic<int32_t> g_bShowWindow{1};
std::atomic<int32_t> g_nExitCode{0};
std::atomic<int32_t> g_bReadyToUpdate{0};
std::atomic<int32_t> g_bEngineRunning{0};
std::unique_ptr<char[][kDevicePathBytes]> g_szDevicePaths;
std::unique_ptr<uint8_t[]> g_pPartImage[kPartCount + 1];
int32_t g_nPartImageSize[kPartCount + 1] = {};
char16_t g_szPartBinName[kPartCount + 1][kNameChars] = {};
int32_t g_nSelectedPart = 0;
std::atomic<int32_t> g_bMilestoneLogged[kMilestoneCount] = {};

void ResetProgramValues() {
  g_bShowWindow = 1;
  g_nExitCode = 0;
  g_bReadyToUpdate = 0;
  g_bEngineRunning = 0;
  g_szDevicePaths.reset();
  g_nSelectedPart = 0;
  for (auto& logged : g_bMilestoneLogged) logged = 0;
  for (int n = 0; n <= kPartCount; ++n) {
    g_pPartImage[n].reset();
    g_nPartImageSize[n] = 0;
    std::fill(std::begin(g_szPartBinName[n]), std::end(g_szPartBinName[n]), u'\0');
  }
}

}  // namespace ostrel
