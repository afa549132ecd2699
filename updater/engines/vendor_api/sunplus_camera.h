// The calls of SunplusCamera (Sunplus camera library) that the Sunplus engine makes, as
// function types. The engine looks each one up by name; the simulated stand-in is checked
// against the same types.
#pragma once

#include <atomic>
#include <cstdint>

namespace sunplus_camera {

constexpr int kSectorBytes = 4096;

using SunplusCamInitFn = int (*)(int reserved);
using GetFlashTypeFn = int (*)(unsigned char* flashType);
using GetAsicTypeFn = int (*)(unsigned char* asicType);
using UploadSectorFn = int (*)(unsigned char* buffer, int sector, int flashIndex);
// The library moves the update record's state and progress while it downloads; they are
// atomics there because the supervision polls them from another thread.
using DownloadFwVerboseFn = int (*)(const unsigned char* image, int length, int flashIndex,
                                    unsigned char* cell1, unsigned char* cell2,
                                    std::atomic<uint8_t>* state, std::atomic<uint8_t>* progress);

}  // namespace sunplus_camera
