// The stand-in of BurnerApLib: the first sonix camera of the world, with its 64 KiB serial
// flash, its write protection and its ROM version, behind the exports the SONIX engine uses.
#include <cstring>
#include <memory>
#include <string>

#include "sonix/st50220.h"
#include "text/utf16.h"
#include "vendor/vendor_camera.h"
#include "vendor_api/burner_ap_lib.h"

namespace {

namespace api = burner_ap_lib;

constexpr uint32_t kFlashBytes = 0x10000;
constexpr unsigned short kSectorTableAddress = 0x0200;
// Where GetSerialNum places the camera's serial number in a burn buffer.
constexpr uint32_t kSerialOffset = 0xFF00;
constexpr size_t kSerialBytes = 32;

struct SonixCamera {
  sim::VendorCamera camera;
  bool open = false;
  bool writeProtected = true;
  bool written = false;
};

SonixCamera* Camera() {
  static const std::unique_ptr<SonixCamera> camera = [] {
    auto found = sim::VendorCamera::Find(
        "sonix", kFlashBytes,
        {u"init", u"protect", u"serial", u"erase", u"burn", u"verify", u"protect-on"});
    return found ? std::make_unique<SonixCamera>(SonixCamera{std::move(*found)}) : nullptr;
  }();
  return camera.get();
}

// The camera for one call of export name; nullptr when there is none and for the call that
// fails once. Each export then fails as it does without a camera.
SonixCamera* CallOn(const char* name) {
  SonixCamera* sonix = Camera();
  return sonix != nullptr && sonix->camera.CallFails(name) ? nullptr : sonix;
}

// The open camera for one call, nullptr until Initialize_DriverInterface succeeded.
SonixCamera* OpenCamera(const char* name) {
  SonixCamera* sonix = CallOn(name);
  return sonix != nullptr && sonix->open ? sonix : nullptr;
}

bool ReadFlash(SonixCamera& sonix, unsigned int address, unsigned char* buffer,
               unsigned long length) {
  // A full read-back is the verify step.
  if (length == kFlashBytes && sonix.camera.Fails(u"verify")) return false;
  for (unsigned long i = 0; i < length; ++i) buffer[i] = sonix.camera.Flash().Read(address + i);
  return true;
}

bool WriteFlash(SonixCamera& sonix, unsigned int address, const unsigned char* buffer,
                unsigned long length) {
  if (sonix.writeProtected || sonix.camera.Fails(u"burn")) return false;
  sim::FlashMemory& flash = sonix.camera.Flash();
  for (unsigned long i = 0; i < length; ++i) flash.Program(address + i, buffer[i]);
  flash.Persist();
  sonix.written = true;
  return true;
}

}  // namespace

SIM_EXPORT int SIM_VENDOR_CALL Initialize_DriverInterface(unsigned short vid, unsigned short pid) {
  SonixCamera* sonix = CallOn("Initialize_DriverInterface");
  const int result = sonix != nullptr && St50220_Open() == 1 && !sonix->camera.Fails(u"init");
  if (result) sonix->open = true;
  if (sonix != nullptr) sonix->camera.Trace("Initialize_DriverInterface 0x%04x 0x%04x = %d", vid, pid, result);
  return result;
}

SIM_EXPORT bool SIM_VENDOR_CALL ReqToDriver(unsigned char command, unsigned int address,
                                            unsigned char* buffer, unsigned long length) {
  SonixCamera* sonix = OpenCamera("ReqToDriver");
  if (sonix == nullptr) return false;
  bool result = false;
  if (buffer != nullptr && address <= kFlashBytes && length <= kFlashBytes - address) {
    if (command == api::kCommandRead) result = ReadFlash(*sonix, address, buffer, length);
    if (command == api::kCommandWrite) result = WriteFlash(*sonix, address, buffer, length);
  }
  sonix->camera.Trace("ReqToDriver %u 0x%x %lu = %d", command, address, length, result);
  return result;
}

SIM_EXPORT bool SIM_VENDOR_CALL GetRomVersion(char* version) {
  SonixCamera* sonix = OpenCamera("GetRomVersion");
  if (sonix == nullptr || version == nullptr) return false;
  const std::string text = text::Utf16ToUtf8(sonix->camera.Text(u"RomVersion"));
  std::memset(version, 0, api::kRomVersionBytes);
  std::memcpy(version, text.data(), std::min(text.size(), api::kRomVersionBytes - 1));
  version[5] = static_cast<char>(sonix->camera.Number(u"RomVersionByte5", 0));
  sonix->camera.Trace("GetRomVersion %s %d = 1", text.c_str(), version[5]);
  return true;
}

SIM_EXPORT bool SIM_VENDOR_CALL GetSectorTableAddr(unsigned short* address) {
  SonixCamera* sonix = OpenCamera("GetSectorTableAddr");
  if (sonix == nullptr || address == nullptr) return false;
  *address = kSectorTableAddress;
  sonix->camera.Trace("GetSectorTableAddr 0x%04x = 1", *address);
  return true;
}

SIM_EXPORT bool SIM_VENDOR_CALL ProcReadFromASIC(unsigned short address, unsigned char* buffer) {
  SonixCamera* sonix = OpenCamera("ProcReadFromASIC");
  if (sonix == nullptr || buffer == nullptr) return false;
  buffer[0] = address == kSectorTableAddress + 8
                  ? static_cast<unsigned char>(sonix->camera.Number(u"SectorTableByte", 0))
                  : 0;
  sonix->camera.Trace("ProcReadFromASIC 0x%04x 0x%02x = 1", address, buffer[0]);
  return true;
}

SIM_EXPORT bool SIM_VENDOR_CALL SetWriteProtect(bool protect, unsigned short& word,
                                                unsigned char& byte) {
  SonixCamera* sonix = OpenCamera("SetWriteProtect");
  if (sonix == nullptr) return false;
  const bool result = !sonix->camera.Fails(protect ? u"protect-on" : u"protect");
  if (result) sonix->writeProtected = protect;
  sonix->camera.Trace("SetWriteProtect %d 0x%04x 0x%02x = %d", protect, word, byte, result);
  return result;
}

SIM_EXPORT bool SIM_VENDOR_CALL GetSerialNum(unsigned char* buffer, unsigned long length) {
  SonixCamera* sonix = OpenCamera("GetSerialNum");
  if (sonix == nullptr) return false;
  const std::string serial = text::Utf16ToUtf8(sonix->camera.Text(u"Serial"));
  const bool result = buffer != nullptr && length >= kFlashBytes && !sonix->camera.Fails(u"serial");
  if (result && !serial.empty()) {
    std::memset(buffer + kSerialOffset, 0, kSerialBytes);
    std::memcpy(buffer + kSerialOffset, serial.data(), std::min(serial.size(), kSerialBytes));
  }
  sonix->camera.Trace("GetSerialNum %lu = %d", length, result);
  return result;
}

SIM_EXPORT bool SIM_VENDOR_CALL EraseSF() {
  SonixCamera* sonix = OpenCamera("EraseSF");
  if (sonix == nullptr) return false;
  const bool result = !sonix->writeProtected && !sonix->camera.Fails(u"erase");
  if (result) {
    sonix->camera.Flash().Erase(0, kFlashBytes);
    sonix->camera.Flash().Persist();
  }
  sonix->camera.Trace("EraseSF = %d", result);
  return result;
}

SIM_EXPORT int SIM_VENDOR_CALL ResetDevice() {
  SonixCamera* sonix = OpenCamera("ResetDevice");
  if (sonix == nullptr) return 0;
  // The engine resets only after a verified burn: the camera now runs the burnt image.
  if (sonix->written) sonix->camera.MarkBurnt(kFlashBytes);
  sonix->camera.Trace("ResetDevice = 1");
  return 1;
}

SIM_EXPORT bool SIM_VENDOR_CALL UnInitialize_DriverInterface() {
  SonixCamera* sonix = OpenCamera("UnInitialize_DriverInterface");
  if (sonix == nullptr) return false;
  sonix->open = false;
  sonix->camera.Trace("UnInitialize_DriverInterface = 1");
  return true;
}

// The exports keep the types the engine calls them with, in the stand-in's convention.
static_assert(std::is_same_v<decltype(&Initialize_DriverInterface),
                             sim::VendorExport<api::InitializeDriverInterfaceFn>>);
static_assert(std::is_same_v<decltype(&ReqToDriver), sim::VendorExport<api::ReqToDriverFn>>);
static_assert(std::is_same_v<decltype(&GetRomVersion), sim::VendorExport<api::GetRomVersionFn>>);
static_assert(
    std::is_same_v<decltype(&GetSectorTableAddr), sim::VendorExport<api::GetSectorTableAddrFn>>);
static_assert(
    std::is_same_v<decltype(&ProcReadFromASIC), sim::VendorExport<api::ProcReadFromAsicFn>>);
static_assert(
    std::is_same_v<decltype(&SetWriteProtect), sim::VendorExport<api::SetWriteProtectFn>>);
static_assert(std::is_same_v<decltype(&GetSerialNum), sim::VendorExport<api::GetSerialNumFn>>);
static_assert(std::is_same_v<decltype(&EraseSF), sim::VendorExport<api::EraseSfFn>>);
static_assert(std::is_same_v<decltype(&ResetDevice), sim::VendorExport<api::ResetDeviceFn>>);
static_assert(std::is_same_v<decltype(&UnInitialize_DriverInterface),
                             sim::VendorExport<api::UnInitializeDriverInterfaceFn>>);
