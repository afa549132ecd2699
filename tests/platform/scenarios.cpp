#include "scenarios.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>

#include "image_maker/zel_image.h"

namespace platform_test {
namespace {

using image_maker::MakeZelImage;
using image_maker::ZelImageSpec;

constexpr char kPlainPath[] =
    R"(\\?\usb#vid_046d&pid_0825&mi_00#7&1b2c3d4e&0&0000#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\global)";
constexpr char kZelPath[] =
    R"(\\?\usb#vid_0408&pid_2040&mi_00#6&2e3f1c7e&0&0000#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\global)";
constexpr int kChipIdRegister = 0x06000000;

// The world clock runs a hundred times as fast: the simulated library's pauses and the
// camera's own timing shrink; the real library pauses as the platform does.
constexpr char kWorldSection[] = "[World]\r\nTimeScale=0.01\r\nTrace=trace.log\r\n\r\n";

World PlainThenZel(const std::string& zelKeys, std::vector<uint8_t> flash = {},
                   const std::string& zelPath = kZelPath) {
  World world;
  world.iniText = std::string(kWorldSection) + "[Camera1]\r\nModel=plain\r\nDevicePath=" +
                  kPlainPath + "\r\n\r\n[Camera2]\r\nModel=zel\r\nDevicePath=" + zelPath +
                  "\r\n" + (flash.empty() ? "" : "Flash=camera2.flash\r\n") + zelKeys;
  world.devicePaths = {kPlainPath, zelPath};
  world.zelFlash = std::move(flash);
  return world;
}

World NoCamera() { return World{kWorldSection, {}, {}}; }

std::string Hex(const void* bytes, size_t size) {
  std::string text;
  char digits[3];
  for (size_t i = 0; i < size; ++i) {
    std::snprintf(digits, sizeof digits, "%02x", static_cast<const uint8_t*>(bytes)[i]);
    text += digits;
  }
  return text;
}

// FNV-1a of a long buffer, for a short result line.
std::string Digest(const std::vector<uint8_t>& bytes) {
  uint64_t hash = 0xcbf29ce484222325;
  for (uint8_t byte : bytes) hash = (hash ^ byte) * 0x100000001b3;
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

// Records "<call> = <result> <outputs>" and returns the result.
int Note(LibraryRun& run, const std::string& call, int result, const std::string& outputs = "") {
  run.Record(call + " = " + std::to_string(result) + (outputs.empty() ? "" : " " + outputs));
  return result;
}

int ReadRegister(LibraryRun& run, int address, int* value) {
  *value = 0;
  return Note(run, "ZelMmioRead(" + std::to_string(address) + ")",
              run.Tandrel().ZelMmioRead(address, value), std::to_string(*value));
}

// A camera leaves the bus at a chip reset and at a switch to USB boot, and comes back a moment
// later as a new device; a host waits for it. The calls made while it is away reach no camera
// and are not recorded; the first that reaches it is. A generous bound guards against a hang.
void AwaitTheCamera(LibraryRun& run) {
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  int value = 0;
  int result = ZEL_E_UNREACHABLE;
  while ((result = run.Tandrel().ZelMmioRead(kChipIdRegister, &value)) == ZEL_E_UNREACHABLE &&
         std::chrono::steady_clock::now() < giveUp) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_EQ(Note(run, "camera back: ZelMmioRead(chip id)", result, std::to_string(value)), ZEL_OK);
}

std::vector<uint8_t> Pattern(size_t size, uint8_t seed) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7);
  return bytes;
}

// The auto-update callback has no argument: it serves the run that registered it.
std::atomic<LibraryRun*> g_notifiedRun{nullptr};
std::mutex g_notificationMutex;
std::condition_variable g_notified;
int g_notifications = 0;

void OnAutoUpdate() {
  LibraryRun& run = *g_notifiedRun;
  unsigned char mode = 0;
  Note(run, "callback: ZelGetLedMode", run.Tandrel().ZelGetLedMode(&mode), std::to_string(mode));
  {
    std::lock_guard<std::mutex> hold(g_notificationMutex);
    ++g_notifications;
  }
  g_notified.notify_all();
}

// Registers, waits until the camera's raises ran the callback count times (a generous bound
// guards against a hang, it checks no speed), then ends the registration.
void AutoUpdateRound(LibraryRun& run, int count) {
  const TandrelExports& t = run.Tandrel();
  g_notifiedRun = &run;
  {
    std::lock_guard<std::mutex> hold(g_notificationMutex);
    g_notifications = 0;
  }
  ASSERT_EQ(Note(run, "ZelAutoUpdateInit", t.ZelAutoUpdateInit(OnAutoUpdate)), ZEL_OK);
  std::unique_lock<std::mutex> hold(g_notificationMutex);
  EXPECT_TRUE(g_notified.wait_for(hold, std::chrono::seconds(20),
                                  [count] { return g_notifications >= count; }));
  hold.unlock();
  EXPECT_EQ(Note(run, "ZelAutoUpdateUninit", t.ZelAutoUpdateUninit()), ZEL_OK);
  hold.lock();
  EXPECT_EQ(g_notifications, count);
}

// Commands and the auto-update registration find no extension unit to talk to.
void NothingReachable(LibraryRun& run) {
  const TandrelExports& t = run.Tandrel();
  int value = 0;
  EXPECT_EQ(ReadRegister(run, kChipIdRegister, &value), ZEL_E_UNREACHABLE);
  EXPECT_EQ(Note(run, "ZelAutoUpdateInit", t.ZelAutoUpdateInit(OnAutoUpdate)), ZEL_E_UNREACHABLE);
  EXPECT_EQ(Note(run, "ZelAutoUpdateUninit", t.ZelAutoUpdateUninit()), ZEL_OK);
}

void NoCameraAtAll(LibraryRun& run) {
  const TandrelExports& t = run.Tandrel();
  EXPECT_EQ(Note(run, "ZelSetDeviceHandle(null)", t.ZelSetDeviceHandle(nullptr)), ZEL_OK);
  EXPECT_EQ(Note(run, "pfn_RvcLib_Initialize", t.pfn_RvcLib_Initialize()), ZEL_OK);
  NothingReachable(run);
}

void FirstSupportedCameraFoundByItself(LibraryRun& run) {
  const TandrelExports& t = run.Tandrel();
  int value = 0;
  EXPECT_EQ(ReadRegister(run, kChipIdRegister, &value), ZEL_OK);
  EXPECT_EQ(value, 0x0A020801);
  EXPECT_EQ(Note(run, "ZelMmioWrite", t.ZelMmioWrite(0x02100010, 0x12345678)), ZEL_OK);
  EXPECT_EQ(ReadRegister(run, 0x02100010, &value), ZEL_OK);
  EXPECT_EQ(value, 0x12345678);
}

void BindingByFilter(LibraryRun& run) {
  const TandrelExports& t = run.Tandrel();
  void* const webcam = run.CameraHandle(1);
  void* const zel = run.CameraHandle(2);
  ASSERT_NE(webcam, nullptr);
  ASSERT_NE(zel, nullptr);
  EXPECT_EQ(Note(run, "ZelSetDeviceHandle(Camera1)", t.ZelSetDeviceHandle(webcam)),
            ZEL_E_UNREACHABLE);
  EXPECT_EQ(Note(run, "ZelSetDeviceHandle(Camera2)", t.ZelSetDeviceHandle(zel)), ZEL_OK);
  // Unit 1 sits on the node after unit 0's.
  EXPECT_EQ(Note(run, "NorvSetLed", t.NorvSetLed(1)), ZEL_OK);
  unsigned char led = 0;
  EXPECT_EQ(Note(run, "NorvGetLed", t.NorvGetLed(&led), std::to_string(led)), ZEL_OK);
  EXPECT_EQ(led, 1);
  EXPECT_EQ(Note(run, "ZelClearDeviceHandle", t.ZelClearDeviceHandle()), ZEL_OK);
  EXPECT_EQ(Note(run, "ZelSetDeviceHandle(null)", t.ZelSetDeviceHandle(nullptr)), ZEL_OK);
  unsigned char mode = 0;
  EXPECT_EQ(Note(run, "ZelGetLedMode", t.ZelGetLedMode(&mode), std::to_string(mode)), ZEL_OK);
}

// The first two calls of the ZEL engine: bind the cameras, read the manufacturer name.
std::string InitializeAndReadManufacturer(LibraryRun& run) {
  const TandrelExports& t = run.Tandrel();
  EXPECT_EQ(Note(run, "pfn_RvcLib_Initialize", t.pfn_RvcLib_Initialize()), ZEL_OK);
  char name[256] = {};
  unsigned char length = 0;
  t.pfn_GetManufacturer(name, &length);
  Note(run, "pfn_GetManufacturer", 0, std::string(name) + " " + std::to_string(length));
  return name;
}

void DeviceTable(LibraryRun& run) {
  const TandrelExports& t = run.Tandrel();
  EXPECT_EQ(InitializeAndReadManufacturer(run), "NORV Inc");
  EXPECT_EQ(Note(run, "pfn_RvcLib_UnInitialize", t.pfn_RvcLib_UnInitialize()), ZEL_OK);
  EXPECT_EQ(Note(run, "pfn_RvcLib_Initialize", t.pfn_RvcLib_Initialize()), ZEL_OK);
}

void RegisterBatches(LibraryRun& run) {
  const TandrelExports& t = run.Tandrel();
  uint8_t addresses[8] = {0x10, 0x00, 0x10, 0x02, 0x14, 0x00, 0x10, 0x02};
  uint8_t values[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  MmioBatch write{2, 4, 4, 0, 0, 0, addresses, values};
  Note(run, "ZelBatchMmioWrite", t.ZelBatchMmioWrite(&write));
  uint8_t read[12] = {};
  MmioBatch consecutive{3, 4, 4, 0, 0, 0x80, addresses, read};
  Note(run, "ZelBatchMmioRead", t.ZelBatchMmioRead(&consecutive), Hex(read, sizeof read));
}

void FlashCommands(LibraryRun& run) {
  const TandrelExports& t = run.Tandrel();
  const std::vector<uint8_t> bytes = Pattern(100, 3);
  EXPECT_EQ(Note(run, "ZelFlashSectorErase", t.ZelFlashSectorErase(0x3000)), ZEL_OK);
  EXPECT_EQ(Note(run, "ZelFlashWrite", t.ZelFlashWrite(0x3000, bytes.data(), 100)), ZEL_OK);
  std::vector<uint8_t> back(100);
  EXPECT_EQ(Note(run, "ZelFlashRead", t.ZelFlashRead(0x3000, back.data(), 100),
                 Hex(back.data(), back.size())),
            ZEL_OK);
  EXPECT_EQ(back, bytes);
  // A write across a page end, then a 30-byte read around it.
  EXPECT_EQ(Note(run, "ZelFlashWrite", t.ZelFlashWrite(0x30F0, bytes.data(), 40)), ZEL_OK);
  uint8_t around[30] = {};
  Note(run, "ZelFlashRead", t.ZelFlashRead(0x30E8, around, 30), Hex(around, sizeof around));
  unsigned char busy = 0xAA;
  Note(run, "ZelFlashEraseStatus", t.ZelFlashEraseStatus(&busy), std::to_string(busy));
  Note(run, "ZelFlashCustom", t.ZelFlashCustom(bytes.data(), 20));
  Note(run, "ZelFlashSetSpiConfig", t.ZelFlashSetSpiConfig(0x1234, 0x56));
  Note(run, "ZelFlashRead(out of range)", t.ZelFlashRead(0x1FFF0, back.data(), 17));
}

void PolledChipErase(LibraryRun& run) {
  const TandrelExports& t = run.Tandrel();
  EXPECT_EQ(Note(run, "ZelFlashErase", t.ZelFlashErase()), ZEL_OK);
  uint8_t start[16] = {};
  EXPECT_EQ(Note(run, "ZelFlashRead", t.ZelFlashRead(0, start, 16), Hex(start, 16)), ZEL_OK);
  EXPECT_EQ(Hex(start, 16), std::string(32, 'f'));
}

std::vector<uint8_t> ImageWithManufacturer(uint16_t version) {
  ZelImageSpec spec;
  spec.version = version;
  spec.manufacturer = "NORV Inc";
  return MakeZelImage(spec);
}

// The road of an update through the library alone, as the ZEL engine takes it.
void FirmwareDownload(LibraryRun& run) {
  const TandrelExports& t = run.Tandrel();
  const std::string name = InitializeAndReadManufacturer(run);
  EXPECT_EQ(Note(run, "pfn_UVC_EEPROMErase", t.pfn_UVC_EEPROMErase()), 0);
  std::vector<uint8_t> image = MakeZelImage({});
  Note(run, "pfn_UVC_SetManufactureStringToFW",
       t.pfn_UVC_SetManufactureStringToFW(image.data(), 1, name.c_str()));
  EXPECT_EQ(Note(run, "pfn_EEPROM_DownLoad2",
                 t.pfn_EEPROM_DownLoad2(1, 0, image.data(), static_cast<int>(image.size()))),
            0);
  EXPECT_EQ(Note(run, "pfn_UVC_ResetIC", t.pfn_UVC_ResetIC()), 0);
  AwaitTheCamera(run);
  std::vector<uint8_t> flash(image.size());
  EXPECT_EQ(Note(run, "ZelFlashRead(all)",
                 t.ZelFlashRead(0, flash.data(), static_cast<int>(flash.size())), Digest(flash)),
            ZEL_OK);
  EXPECT_TRUE(flash == image);
  char text[32] = {};
  int count = 0;
  EXPECT_EQ(Note(run, "ZelGetiManufacturer", t.ZelGetiManufacturer(text, sizeof text, &count),
                 text),
            ZEL_OK);
  EXPECT_STREQ(text, "NORV Inc");
}

void ChipControl(LibraryRun& run) {
  const TandrelExports& t = run.Tandrel();
  Note(run, "ZelSetPll", t.ZelSetPll());
  Note(run, "ZelSetPll", t.ZelSetPll());
  Note(run, "ZelReset", t.ZelReset());
  AwaitTheCamera(run);
  Note(run, "ZelUsbBoot", t.ZelUsbBoot(2));
  AwaitTheCamera(run);
  const std::vector<uint8_t> bytes = Pattern(100, 9);
  Note(run, "ZelXuSet(100 bytes)", t.ZelXuSet(2, bytes.data(), 100));
  unsigned int controlLength = 0;
  EXPECT_EQ(Note(run, "ZelXuGet(null)", t.ZelXuGet(2, nullptr, 0, &controlLength),
                 std::to_string(controlLength)),
            ZEL_OK);
  EXPECT_EQ(controlLength, 64u);
  uint8_t reply[8] = {};
  Note(run, "ZelXuGet(8)", t.ZelXuGet(2, reply, sizeof reply, &controlLength),
       Hex(reply, sizeof reply) + " " + std::to_string(controlLength));
}

void Controls(LibraryRun& run) {
  const TandrelExports& t = run.Tandrel();
  unsigned char a = 0, b = 0;
  unsigned short pan = 0, tilt = 0, time = 0;
  int gop = 0;
  Note(run, "ZelSetLedMode", t.ZelSetLedMode(2));
  Note(run, "ZelGetLedMode", t.ZelGetLedMode(&a), std::to_string(a));
  Note(run, "ZelSetPanTilt", t.ZelSetPanTilt(300, 65000));
  Note(run, "ZelGetPanTilt", t.ZelGetPanTilt(&pan, &tilt),
       std::to_string(pan) + " " + std::to_string(tilt));
  Note(run, "ZelEncoderSetGOP", t.ZelEncoderSetGOP(30));
  Note(run, "ZelEncoderGetGOP", t.ZelEncoderGetGOP(&gop), std::to_string(gop));
  ZelEncoderParams params{};
  Note(run, "ZelEncoderGetParams", t.ZelEncoderGetParams(&params), Hex(&params, sizeof params));
  ZelStreamCaps caps{};
  Note(run, "ZelEncoderGetStreamCaps", t.ZelEncoderGetStreamCaps(0, &caps), Hex(&caps, sizeof caps));
  Note(run, "ZelVideoSetMirror", t.ZelVideoSetMirror(1));
  Note(run, "ZelVideoGetMirror", t.ZelVideoGetMirror(&a), std::to_string(a));
  Note(run, "ZelAudioSetEqualizer", t.ZelAudioSetEqualizer(3, 4));
  Note(run, "ZelAudioGetEqualizer", t.ZelAudioGetEqualizer(&a, &b),
       std::to_string(a) + " " + std::to_string(b));
  Note(run, "ZelSetSpecialEffect", t.ZelSetSpecialEffect(-1));
  Note(run, "NorvSetAeMaxTime", t.NorvSetAeMaxTime(0x1234));
  Note(run, "NorvGetAeMaxTime", t.NorvGetAeMaxTime(&time), std::to_string(time));
  NorvDeviceInfo info{};
  Note(run, "NorvGetDeviceInfo", t.NorvGetDeviceInfo(&info), Hex(&info, sizeof info));
}

void Identity(LibraryRun& run) {
  const TandrelExports& t = run.Tandrel();
  ZelFirmwareVersion version{};
  EXPECT_EQ(Note(run, "ZelGetFirmwareVersion", t.ZelGetFirmwareVersion(&version),
                 Hex(&version, sizeof version)),
            ZEL_OK);
  char text[32] = {};
  int count = 0;
  Note(run, "ZelGetSerialNumber", t.ZelGetSerialNumber(text, sizeof text, &count),
       std::string(text) + " " + std::to_string(count));
  Note(run, "ZelGetiManufacturer", t.ZelGetiManufacturer(text, sizeof text, &count),
       std::string(text) + " " + std::to_string(count));
  ZelCustomSerialNumber serial{};
  serial.length = 6;
  std::memcpy(serial.serial, "SN-042", 6);
  EXPECT_EQ(Note(run, "ZelSetCustomSerialNumber", t.ZelSetCustomSerialNumber(serial)), ZEL_OK);
  ZelCustomSerialNumber back{};
  EXPECT_EQ(Note(run, "ZelGetCustomSerialNumber", t.ZelGetCustomSerialNumber(&back),
                 Hex(&back, sizeof back)),
            ZEL_OK);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(back.serial), back.length), "SN-042");
}

void SystemInformation(LibraryRun& run) {
  ZelSystemInfo info{};
  EXPECT_EQ(Note(run, "ZelGetSystemInfornation", run.Tandrel().ZelGetSystemInfornation(&info),
                 Hex(&info, sizeof info)),
            ZEL_OK);
  EXPECT_EQ(info.second, 0x0600);
  EXPECT_EQ(info.seventh, 6);
}

// Eleven busy answers outlast the ten repeated probes; the next call finds the camera ready.
void BusyCamera(LibraryRun& run) {
  int value = 0;
  EXPECT_EQ(ReadRegister(run, kChipIdRegister, &value), ZEL_E_NOT_READY);
  EXPECT_EQ(ReadRegister(run, kChipIdRegister, &value), ZEL_OK);
}

void FailingControls(LibraryRun& run) {
  const TandrelExports& t = run.Tandrel();
  unsigned char mode = 0;
  EXPECT_EQ(Note(run, "ZelSetLedMode", t.ZelSetLedMode(1)), ZEL_E_INVALID_ARG);
  EXPECT_EQ(Note(run, "ZelGetLedMode", t.ZelGetLedMode(&mode)), ZEL_E_INVALID_ARG);
  ZelSystemInfo info{};
  EXPECT_EQ(Note(run, "ZelGetSystemInfornation", t.ZelGetSystemInfornation(&info)), ZEL_E_DEVICE);
  NorvDeviceInfo device{};
  EXPECT_EQ(Note(run, "NorvGetDeviceInfo", t.NorvGetDeviceInfo(&device), Hex(&device, sizeof device)),
            ZEL_OK);
}

// The camera goes away in the middle of a read of many packets.
void UnpluggedDuringAnExport(LibraryRun& run) {
  const TandrelExports& t = run.Tandrel();
  std::vector<uint8_t> bytes(256);
  EXPECT_EQ(Note(run, "ZelFlashRead(256)", t.ZelFlashRead(0, bytes.data(), 256)),
            ZEL_E_UNREACHABLE);
  int value = 0;
  EXPECT_EQ(ReadRegister(run, kChipIdRegister, &value), ZEL_E_UNREACHABLE);
}

void UnpluggedDuringADownload(LibraryRun& run) {
  const TandrelExports& t = run.Tandrel();
  EXPECT_EQ(Note(run, "pfn_RvcLib_Initialize", t.pfn_RvcLib_Initialize()), ZEL_OK);
  EXPECT_EQ(Note(run, "pfn_UVC_EEPROMErase", t.pfn_UVC_EEPROMErase()), 0);
  const std::vector<uint8_t> image = MakeZelImage({});
  EXPECT_NE(Note(run, "pfn_EEPROM_DownLoad2",
                 t.pfn_EEPROM_DownLoad2(1, 0, image.data(), static_cast<int>(image.size()))),
            0);
  EXPECT_EQ(Note(run, "pfn_UVC_ResetIC", t.pfn_UVC_ResetIC()), 31);
}

void WithoutExtensionUnit(LibraryRun& run) {
  const TandrelExports& t = run.Tandrel();
  void* const zel = run.CameraHandle(2);
  ASSERT_NE(zel, nullptr);
  EXPECT_EQ(Note(run, "ZelSetDeviceHandle(Camera2)", t.ZelSetDeviceHandle(zel)),
            ZEL_E_UNREACHABLE);
  NothingReachable(run);
}

// A display name longer than the 256 bytes the library converts: the camera is still found
// by its vendor id near the start, alone and for the device table.
void LongDevicePath(LibraryRun& run) {
  const TandrelExports& t = run.Tandrel();
  int value = 0;
  EXPECT_EQ(ReadRegister(run, kChipIdRegister, &value), ZEL_OK);
  EXPECT_EQ(Note(run, "pfn_RvcLib_Initialize", t.pfn_RvcLib_Initialize()), ZEL_OK);
  unsigned char mode = 0;
  EXPECT_EQ(Note(run, "ZelGetLedMode", t.ZelGetLedMode(&mode), std::to_string(mode)), ZEL_OK);
}

std::string LongZelPath() {
  return R"(\\?\usb#vid_0408&pid_2040&mi_00#)" + std::string(240, '7') +
         R"(&0&0000#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\global)";
}

// Three raises per registration: first on the camera the library finds, then on the host's
// filter; each callback reads a control through the library from the library's own thread.
void AutoUpdate(LibraryRun& run) {
  AutoUpdateRound(run, 3);
  void* const zel = run.CameraHandle(2);
  ASSERT_NE(zel, nullptr);
  ASSERT_EQ(Note(run, "ZelSetDeviceHandle(Camera2)", run.Tandrel().ZelSetDeviceHandle(zel)),
            ZEL_OK);
  AutoUpdateRound(run, 3);
}

}  // namespace

std::vector<Scenario> SharedScenarios() {
  return {
      {"no camera", NoCamera(), NoCameraAtAll},
      {"first supported camera found by itself", PlainThenZel(""),
       FirstSupportedCameraFoundByItself},
      {"binding by filter pointer", PlainThenZel(""), BindingByFilter},
      {"device table", PlainThenZel("", ImageWithManufacturer(0x0105)), DeviceTable},
      {"register batches", PlainThenZel(""), RegisterBatches},
      {"flash commands", PlainThenZel(""), FlashCommands},
      {"polled chip erase", PlainThenZel("", ImageWithManufacturer(0x0105)), PolledChipErase},
      {"firmware download 0105 to 0107", PlainThenZel("", ImageWithManufacturer(0x0105)),
       FirmwareDownload},
      {"chip control, variant A", PlainThenZel(""), ChipControl},
      {"chip control, other variant", PlainThenZel("ChipId=0x0B000000\r\n"), ChipControl},
      {"controls", PlainThenZel("DeviceInfo=010203040506070809\r\n"), Controls},
      {"identity", PlainThenZel("", ImageWithManufacturer(0x0105)), Identity},
      {"system information", PlainThenZel("SystemInfo=0100000602000300040005000600\r\n"),
       SystemInformation},
      {"busy camera", PlainThenZel("BusyProbes=11\r\n"), BusyCamera},
      {"failing controls",
       PlainThenZel("Fail0.5=0x80070057\r\nFailGet0.8=0x8007001f\r\nReply1.1=0a0b0c0d0e0f\r\n"),
       FailingControls},
      {"unplugged during an export", PlainThenZel("UnplugAfter=9\r\n"), UnpluggedDuringAnExport},
      {"unplugged during a download",
       PlainThenZel("UnplugAfter=15000\r\n", ImageWithManufacturer(0x0105)),
       UnpluggedDuringADownload},
      {"device path longer than the converted name", PlainThenZel("", {}, LongZelPath()),
       LongDevicePath},
      {"camera without extension unit", PlainThenZel("NoExtensionUnit=1\r\n"),
       WithoutExtensionUnit},
      {"auto update through the camera's event",
       PlainThenZel("AutoUpdateEvents=3\r\nAutoUpdateEventPeriod=15000\r\n"), AutoUpdate, true},
  };
}

}  // namespace platform_test
