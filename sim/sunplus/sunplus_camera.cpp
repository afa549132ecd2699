// The stand-in of SunplusCamera: the first sunplus camera of the world, with its serial flash
// of 4 KiB sectors, behind the exports the Sunplus engine uses.
#include <memory>
#include <type_traits>

#include "vendor/vendor_camera.h"
#include "vendor_api/sunplus_camera.h"

namespace {

namespace api = sunplus_camera;

constexpr uint32_t kFlashBytes = 0x20000;
constexpr uint32_t kSectorBytes = api::kSectorBytes;
// What the library reports while it writes, as the engine's state codes name it.
constexpr uint8_t kStateWriting = 21;
constexpr uint8_t kDefaultFlashType = 0x7A;
constexpr uint8_t kDefaultAsicType = 0x68;

sim::VendorCamera* Camera() {
  static const std::unique_ptr<sim::VendorCamera> camera = [] {
    auto found = sim::VendorCamera::Find("sunplus", kFlashBytes, {u"init", u"download"});
    return found ? std::make_unique<sim::VendorCamera>(std::move(*found)) : nullptr;
  }();
  return camera.get();
}

// The camera for one call of export name; nullptr when there is none and for the call that
// fails once. Each export then fails as it does without a camera.
sim::VendorCamera* CallOn(const char* name) {
  sim::VendorCamera* camera = Camera();
  return camera != nullptr && camera->CallFails(name) ? nullptr : camera;
}

int ReportByte(const char* name, const char16_t* key, uint8_t fallback, unsigned char* out) {
  sim::VendorCamera* camera = CallOn(name);
  if (camera == nullptr || out == nullptr) return 1;
  *out = static_cast<unsigned char>(camera->Number(key, fallback));
  camera->Trace("%s 0x%02x = 0", name, *out);
  return 0;
}

}  // namespace

SIM_EXPORT int SIM_VENDOR_CALL SunplusCam_Init(int reserved) {
  sim::VendorCamera* camera = CallOn("SunplusCam_Init");
  if (camera == nullptr) return 1;
  const int result = camera->Fails(u"init") ? 1 : 0;
  camera->Trace("SunplusCam_Init %d = %d", reserved, result);
  return result;
}

SIM_EXPORT int SIM_VENDOR_CALL Get_FlashType(unsigned char* flashType) {
  return ReportByte("Get_FlashType", u"FlashType", kDefaultFlashType, flashType);
}

SIM_EXPORT int SIM_VENDOR_CALL Get_ASICType(unsigned char* asicType) {
  return ReportByte("Get_ASICType", u"AsicType", kDefaultAsicType, asicType);
}

SIM_EXPORT int SIM_VENDOR_CALL Upload_Sector(unsigned char* buffer, int sector, int flashIndex) {
  sim::VendorCamera* camera = CallOn("Upload_Sector");
  if (camera == nullptr || buffer == nullptr) return 1;
  const bool inside = sector >= 0 && static_cast<uint32_t>(sector) < kFlashBytes / kSectorBytes;
  if (inside) {
    const uint32_t start = static_cast<uint32_t>(sector) * kSectorBytes;
    for (uint32_t i = 0; i < kSectorBytes; ++i) buffer[i] = camera->Flash().Read(start + i);
  }
  camera->Trace("Upload_Sector %d %d = %d", sector, flashIndex, inside ? 0 : 1);
  return inside ? 0 : 1;
}

SIM_EXPORT int SIM_VENDOR_CALL Download_FW_Verbose(const unsigned char* image, int length,
                                                   int flashIndex, unsigned char* cell1,
                                                   unsigned char* cell2,
                                                   std::atomic<uint8_t>* state,
                                                   std::atomic<uint8_t>* progress) {
  sim::VendorCamera* camera = CallOn("Download_FW_Verbose");
  if (camera == nullptr) return 1;
  const bool valid = image != nullptr && state != nullptr && progress != nullptr && length > 0 &&
                     static_cast<uint32_t>(length) <= kFlashBytes && cell1 != nullptr &&
                     cell2 != nullptr;
  int result = 1;
  if (valid) {
    *state = kStateWriting;
    *progress = 0;
    if (!camera->Fails(u"download")) {
      const auto total = static_cast<uint32_t>(length);
      sim::FlashMemory& flash = camera->Flash();
      for (uint32_t at = 0; at < total; at += kSectorBytes) {
        const uint32_t count = std::min(kSectorBytes, total - at);
        flash.Erase(at, kSectorBytes);
        for (uint32_t i = 0; i < count; ++i) flash.Program(at + i, image[at + i]);
        // Sector by sector, as the chip takes it: an interrupted download leaves the sectors
        // written so far.
        flash.Persist();
        // 100 is left for the end: it tells the updater that the download is over.
        *progress = static_cast<uint8_t>(99ull * (at + count) / total);
      }
      camera->MarkBurnt(total);
      result = 0;
    }
  }
  camera->Trace("Download_FW_Verbose %d %d = %d", length, flashIndex, result);
  if (result == 0) *progress = 100;
  return result;
}

static_assert(std::is_same_v<decltype(&SunplusCam_Init), sim::VendorExport<api::SunplusCamInitFn>>);
static_assert(std::is_same_v<decltype(&Get_FlashType), sim::VendorExport<api::GetFlashTypeFn>>);
static_assert(std::is_same_v<decltype(&Get_ASICType), sim::VendorExport<api::GetAsicTypeFn>>);
static_assert(std::is_same_v<decltype(&Upload_Sector), sim::VendorExport<api::UploadSectorFn>>);
static_assert(
    std::is_same_v<decltype(&Download_FW_Verbose), sim::VendorExport<api::DownloadFwVerboseFn>>);
