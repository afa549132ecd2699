// The update engines: one thread procedure per chip vendor, chosen by vendor number, and the
// supervision thread that watches a running engine in the windowed run. Each takes the update
// record as its only argument and returns 0 when done.
#pragma once

#include <cstdint>

namespace ostrel {

class CVarnelCameraDlg;

using EngineEntry = uint32_t (*)(CVarnelCameraDlg& record);

// The engine of the chip vendor number, nullptr for an unknown vendor.
EngineEntry EngineForVendor(int32_t vendor);

// Vendor 1: Sunplus, through SunplusCamera.dll.
uint32_t RunSunplusUpdate(CVarnelCameraDlg& record);

// Vendor 3: SONIX, through BurnerApLib.dll (with its companion st50220.dll).
uint32_t RunSonixUpdate(CVarnelCameraDlg& record);

// Vendor 2 ("R"): nothing is burned; the run ends as up to date.
uint32_t SkipUpdateForR(CVarnelCameraDlg& record);

// Vendor 4 (ZEL): writes the image through Tandrel's download exports.
uint32_t RunZelUpdate(CVarnelCameraDlg& record);

// Animates the progress, enforces the burn time limit and shows and logs how the update ended.
uint32_t SuperviseUpdate(CVarnelCameraDlg& record);

}  // namespace ostrel
