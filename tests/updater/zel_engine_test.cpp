// The ZEL engine against an in-test Tandrel: the calls it makes, in order, and the state,
// progress and outcome it leaves for every result of the library.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "engines/engines.h"
#include "fake_platform.h"
#include "text/utf16.h"
#include "update_record.h"

namespace ostrel {
namespace {

using testing::FakePlatform;
using testing::ScratchDir;

// What the fake library answers and what it saw; one test at a time uses it.
struct FakeTandrel {
  int initializeResult = 0;
  const char* manufacturer = "";
  int nameReadResult = 0;
  // The stored device descriptor the camera's flash holds at 0x4020 (valid: 18, 1, ...).
  std::vector<uint8_t> descriptor = {18, 1, 0, 2, 0xEF, 2, 1, 64, 8, 4, 0x40, 0x20, 5, 1, 3, 1, 2, 1};
  int descriptorReadResult = 0;
  int downloadResult = 0;
  int resetResult = 0;
  int setDeviceHandleResult = 0;
  std::vector<std::string> calls;
  std::vector<uint8_t> downloaded;
  // State and progress the engine had stored when the download was called.
  uint8_t stateAtDownload = 0;
  uint8_t progressAtDownload = 0;
  CVarnelCameraDlg* record = nullptr;
};
FakeTandrel* g_fake = nullptr;

int Initialize() {
  g_fake->calls.push_back("Initialize");
  return g_fake->initializeResult;
}
int UnInitialize() {
  g_fake->calls.push_back("UnInitialize");
  return 0;
}
void GetManufacturer(char*, unsigned char*) { g_fake->calls.push_back("pfn_GetManufacturer"); }
int GetiManufacturer(char* text, int size, int* count) {
  g_fake->calls.push_back("GetiManufacturer " + std::to_string(size));
  if (g_fake->nameReadResult != 0) return g_fake->nameReadResult;
  std::strcpy(text, g_fake->manufacturer);
  *count = static_cast<int>(std::strlen(g_fake->manufacturer) + 1);
  return 0;
}
int FlashRead(int address, unsigned char* buffer, int length) {
  g_fake->calls.push_back("FlashRead " + std::to_string(address) + " " + std::to_string(length));
  if (g_fake->descriptorReadResult != 0) return g_fake->descriptorReadResult;
  std::copy_n(g_fake->descriptor.begin(), std::min<size_t>(length, g_fake->descriptor.size()), buffer);
  return 0;
}
int EepromErase() {
  g_fake->calls.push_back("EEPROMErase");
  return 0;
}
int SetManufacturer(unsigned char* image, int reserved, const char* name) {
  g_fake->calls.push_back("SetManufacture " + std::to_string(reserved) + " " + name);
  image[0x4030] = 0xAB;  // marks the copy, which must never be the loaded image
  return 0;
}
int DownLoad2(int reserved, int address, const unsigned char* image, int length) {
  g_fake->calls.push_back("DownLoad2 " + std::to_string(reserved) + " " + std::to_string(address) +
                          " " + std::to_string(length));
  g_fake->downloaded.assign(image, image + length);
  g_fake->stateAtDownload = g_fake->record->m_nState;
  g_fake->progressAtDownload = g_fake->record->m_nProgress;
  return g_fake->downloadResult;
}
int ResetIc() {
  g_fake->calls.push_back("ResetIC");
  return g_fake->resetResult;
}
int SetDeviceHandle(void* device) {
  g_fake->calls.push_back(std::string("SetDeviceHandle ") + static_cast<const char*>(device));
  return g_fake->setDeviceHandleResult;
}

class ZelEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProgramValues();
    g_fake = &fake;
    fake.record = &record;
    platform.libraries[u"Tandrel.dll"] = {
        {"pfn_RvcLib_Initialize", reinterpret_cast<void*>(&Initialize)},
        {"pfn_RvcLib_UnInitialize", reinterpret_cast<void*>(&UnInitialize)},
        {"pfn_EEPROM_DownLoad2", reinterpret_cast<void*>(&DownLoad2)},
        {"pfn_UVC_EEPROMErase", reinterpret_cast<void*>(&EepromErase)},
        {"pfn_UVC_SetManufactureStringToFW", reinterpret_cast<void*>(&SetManufacturer)},
        {"pfn_GetManufacturer", reinterpret_cast<void*>(&GetManufacturer)},
        {"pfn_UVC_ResetIC", reinterpret_cast<void*>(&ResetIc)},
        {"ZelSetDeviceHandle", reinterpret_cast<void*>(&SetDeviceHandle)},
        {"ZelGetiManufacturer", reinterpret_cast<void*>(&GetiManufacturer)},
        {"ZelFlashRead", reinterpret_cast<void*>(&FlashRead)},
    };
    dir.MakeFolder(u"bin");
    const std::u16string& appDir = dir.Path();
    std::copy(appDir.begin(), appDir.end(), record.m_szAppDir);
    record.m_pImage = std::make_unique<uint8_t[]>(kImageBufferBytes);
    record.m_nImageSize = 0x8000;
    for (int i = 0; i < record.m_nImageSize; ++i) record.m_pImage[i] = static_cast<uint8_t>(i * 7);
  }
  void TearDown() override {
    g_fake = nullptr;
    ResetProgramValues();
  }

  void Run() {
    g_nExitCode = -1;
    EXPECT_EQ(RunZelUpdate(record), 0u);
  }
  void ExpectOutcome(uint8_t state, uint8_t progress, int32_t code) {
    EXPECT_EQ(record.m_nState, state);
    EXPECT_EQ(record.m_nProgress, progress);
    EXPECT_EQ(g_nExitCode, code);
  }

  ScratchDir dir;
  FakePlatform platform{dir};
  CVarnelCameraDlg record{platform};
  FakeTandrel fake;
};

TEST_F(ZelEngineTest, SuccessCallsTheExportsInOrderOnACopyOfTheImage) {
  fake.manufacturer = "NORV";
  Run();
  ExpectOutcome(kStateFinished, 100, kOutcomeSuccess);
  EXPECT_EQ(fake.calls, (std::vector<std::string>{"Initialize", "FlashRead 16416 18", "GetiManufacturer 256", "EEPROMErase",
                                                  "SetManufacture 1 NORV", "DownLoad2 1 0 32768",
                                                  "ResetIC"}));
  EXPECT_EQ(fake.stateAtDownload, kStateEngineWorking);
  EXPECT_EQ(fake.progressAtDownload, 60);
  ASSERT_EQ(fake.downloaded.size(), 0x8000u);
  EXPECT_EQ(fake.downloaded[0x4030], 0xAB);
  // The loaded image is untouched, so the same image written twice gives the same bytes.
  EXPECT_EQ(record.m_pImage[0x4030], static_cast<uint8_t>(0x4030 * 7));
  const auto first = fake.downloaded;
  Run();
  EXPECT_EQ(fake.downloaded, first);
}

TEST_F(ZelEngineTest, FailedResetAfterAVerifiedDownloadStillSucceeds) {
  fake.resetResult = 31;
  Run();
  ExpectOutcome(kStateFinished, 100, kOutcomeSuccess);
  EXPECT_EQ(platform.DebugLines().back(), u"Reset, failed\n");
}

TEST_F(ZelEngineTest, FailuresOfTheLibrary) {
  const struct {
    const char* name;
    int initializeResult;
    int downloadResult;
    uint8_t state;
    uint8_t progress;
    size_t calls;
    int nameReadResult;
    const char16_t* log;
  } cases[] = {
      {"camera not bound", -1, 0, kStateFailed, 100, 1, 0, u""},
      {"verify mismatch", 0, 1, kStateFailed, 100, 6, 0, u""},
      {"write refused", 0, -3, kStateFailed, 100, 6, 0, u""},
      // A name read that failed leaves the camera untouched: nothing is erased.
      {"name read failed", 0, 0, kStateFailed, 100, 3, -2, u"Get Manufacturer Fail!\r\n"},
      {"name read busy", 0, 0, kStateFailed, 100, 3, -4, u"Get Manufacturer Fail!\r\n"},
      {"name read unreachable", 0, 0, kStateFailed, 100, 3, -1, u"Get Manufacturer Fail!\r\n"},
  };
  for (const auto& c : cases) {
    fake = FakeTandrel{};
    fake.record = &record;
    fake.initializeResult = c.initializeResult;
    fake.downloadResult = c.downloadResult;
    fake.nameReadResult = c.nameReadResult;
    dir.WriteFile(u"update.log", "");
    record.m_pLogFile.Open(dir.File(u"update.log"));
    Run();
    record.m_pLogFile.Close();
    ExpectOutcome(c.state, c.progress, kOutcomeUpdateFailed);
    EXPECT_EQ(fake.calls.size(), c.calls) << c.name;  // no reset after a failed download
    // Past the byte-order mark the log starts with.
    EXPECT_EQ(dir.ReadFile(u"update.log").substr(2), text::Utf16ToLeBytes(c.log)) << c.name;
  }
}

// A string area without slots is the camera's answer, not a failed read: no name is carried.
TEST_F(ZelEngineTest, CameraWithoutStringSlotsIsUpdatedWithoutAName) {
  fake.nameReadResult = -6;
  fake.manufacturer = "ignored";
  Run();
  ExpectOutcome(kStateFinished, 100, kOutcomeSuccess);
  EXPECT_EQ(fake.calls[4], "SetManufacture 1 ");
}

// The name is kept in the bin folder before the erase. A camera whose update was interrupted
// after the erase has no device descriptor and no name left: it gets the kept name back.
TEST_F(ZelEngineTest, ManufacturerNameIsKeptAndRestoredWhenTheFlashLostIt) {
  const std::u16string backup = u"bin/Manufacturer.bin";
  const std::vector<uint8_t> erased(18, 0xFF);
  const struct {
    const char* name;
    bool descriptorValid;
    const char* kept;  // the backup before the run; nullptr: none
    const char* camera;
    int descriptorRead;
    const char* carried;  // nullptr: the run fails before the erase
    const char* keptAfter;
  } cases[] = {
      {"kept from a camera that answers", true, "OLD", "NORV", 0, "NORV", "NORV"},
      {"a camera without a name", true, "OLD", "", 0, "", ""},
      {"restored", false, "NORV Optics", "", 0, "NORV Optics", "NORV Optics"},
      {"none kept: as the camera reads", false, nullptr, "", 0, "", nullptr},
      {"descriptor read failed", true, "OLD", "NORV", -2, nullptr, "OLD"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fake = FakeTandrel{};
    fake.record = &record;
    if (!c.descriptorValid) fake.descriptor = erased;
    fake.manufacturer = c.camera;
    fake.descriptorReadResult = c.descriptorRead;
    if (c.kept) {
      dir.WriteFile(backup, c.kept);
    } else {
      std::filesystem::remove(std::filesystem::path(dir.File(backup)));
    }
    Run();
    if (c.carried) {
      ExpectOutcome(kStateFinished, 100, kOutcomeSuccess);
      EXPECT_EQ(fake.calls[c.descriptorValid || !c.kept ? 4 : 3],
                std::string("SetManufacture 1 ") + c.carried);
    } else {
      ExpectOutcome(kStateFailed, 100, kOutcomeUpdateFailed);
      EXPECT_EQ(fake.calls.back(), "FlashRead 16416 18");
    }
    EXPECT_EQ(dir.Exists(backup), c.keptAfter != nullptr);
    if (c.keptAfter) {
      EXPECT_EQ(dir.ReadFile(backup), c.keptAfter);
    }
  }
}

// Detection identified the second of two video devices: the engine binds exactly that one by
// its handle, and never lets the library choose a camera.
TEST_F(ZelEngineTest, IdentifiedCameraIsBoundByItsHandle) {
  const std::string identified = "\\\\?\\usb#vid_0408&pid_2040&mi_00#6&2e3f1c7f&0&0000#{x}\\global";
  g_szDevicePaths.reset(new char[kDevicePathCount][kDevicePathBytes]());
  std::strcpy(g_szDevicePaths[0], "\\\\?\\usb#vid_0408&pid_2041&mi_00#6&2e3f1c7e&0&0000#{x}\\global");
  std::strcpy(g_szDevicePaths[1], identified.c_str());
  record.m_nDeviceIndex = 1;
  const std::u16string refusal = u"Windows denied access to the camera.\r\n";
  const struct {
    const char* name;
    bool present;
    bool refused;  // the system refuses to open it, and says why
    int bindResult;
    uint8_t state;
    int32_t code;
    std::vector<std::string> calls;
  } cases[] = {
      {"bound", true, false, 0, kStateFinished, kOutcomeSuccess,
       {"SetDeviceHandle " + identified, "FlashRead 16416 18", "GetiManufacturer 256", "EEPROMErase", "SetManufacture 1 ",
        "DownLoad2 1 0 32768", "ResetIC"}},
      {"probe failed", true, false, -1, kStateFailed, kOutcomeUpdateFailed, {"SetDeviceHandle " + identified}},
      {"camera gone", false, false, 0, kStateFailed, kOutcomeUpdateFailed, {}},
      {"refused", true, true, 0, kStateFailed, kOutcomeUpdateFailed, {}},
  };
  const std::u16string log = dir.File(u"bin/Ostrel_sp.log");
  for (const auto& c : cases) {
    fake = FakeTandrel{};
    fake.record = &record;
    fake.setDeviceHandleResult = c.bindResult;
    platform.videoDevicePaths = {g_szDevicePaths[0]};
    if (c.present) platform.videoDevicePaths.push_back(identified);
    platform.deviceRefusal = c.refused ? refusal : u"";
    std::filesystem::remove(std::filesystem::path(log));
    ASSERT_TRUE(record.m_pLogFile.Open(log));
    const size_t firstLine = platform.DebugLines().size();
    Run();
    record.m_pLogFile.Close();
    EXPECT_EQ(dir.ReadFile(u"bin/Ostrel_sp.log").find(text::Utf16ToLeBytes(u"denied")) !=
                  std::string::npos,
              c.refused)
        << c.name;
    ExpectOutcome(c.state, 100, c.code);
    EXPECT_EQ(fake.calls, c.calls) << c.name;
    EXPECT_EQ(platform.DebugLines().at(firstLine),
              c.code == kOutcomeSuccess ? u"Connect device, ok\n" : u"Connect device, failed...\n")
        << c.name;
  }
}

TEST_F(ZelEngineTest, MissingLibraryOrExportMakesNoCall) {
  platform.libraries[u"Tandrel.dll"].erase("pfn_UVC_ResetIC");
  Run();
  ExpectOutcome(kStateLibraryMissing, 0, kOutcomeUpdateFailed);
  platform.libraries.clear();
  Run();
  ExpectOutcome(kStateLibraryMissing, 0, kOutcomeUpdateFailed);
  EXPECT_TRUE(fake.calls.empty());
}

}  // namespace
}  // namespace ostrel
