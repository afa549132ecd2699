// Multi-image mode helpers shared by the SONIX and Sunplus engines: which part entries may be
// used, recording the chosen part, and the up-to-date ending of a part already on the camera.
#pragma once

#include <cstdint>

namespace ostrel {

class CVarnelCameraDlg;

// Part n (1 to 4) has an image with bytes in it: entries that stayed empty are never used.
bool PartIsLoaded(int n);

// Records part n as the chosen one (g_nSelectedPart) and saves its file name as the last
// choice (key BIN of section SETTING).
void TakePart(CVarnelCameraDlg& record, int n);

// Reads part n's version by the vendor's image rule and shows it; when the camera already
// runs it, ends the run as up to date and returns true.
bool EndIfPartIsCurrent(CVarnelCameraDlg& record, int32_t vendor, int n);

}  // namespace ostrel
