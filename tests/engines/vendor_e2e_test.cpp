// End-to-end runs of the simulated ostrel with the stand-in vendor libraries, in a scratch
// program folder: pid.ini, bin/fw.bin from the image maker, simcam.ini with one camera. The
// stand-ins are those beside the simulated ostrel (cdecl), or on 32-bit Windows the variant that
// OSTREL_VENDOR_VARIANT names: "stdcall" (exports named as the functions) or
// "stdcall-decorated" (exports named "_Name@N" only).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#if defined(_WIN32)
#include <windows.h>
#endif

#include "program_folder.h"
#include "text/utf16.h"

namespace ostrel {
namespace {

namespace stdfs = std::filesystem;
using testing::Utf16Le;
using testing::WorldCamera;

struct Vendor {
  const char* model;
  const char* chip;
  const char* pid;
  const char* imageMode;
};
const Vendor kSonix = {"sonix", "3", "6366", "sonix"};
const Vendor kSunplus = {"sunplus", "1", "2080", "sunplus-b"};

std::string Variant() {
  const char* variant = std::getenv("OSTREL_VENDOR_VARIANT");
  return variant != nullptr ? variant : "";
}

stdfs::path VendorLibraryFolder() {
  const std::string variant = Variant();
  return variant.empty() ? stdfs::path(OSTREL_SIM_BIN)
                         : stdfs::path(OSTREL_VENDOR_VARIANTS) / ("sim-vendor-" + variant);
}

class VendorEndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.MakeFolder(u"bin");
    stdfs::copy_file(stdfs::path(OSTREL_SIM_BIN) / testing::ProgramFile(),
                     stdfs::path(dir.File(text::Utf8ToUtf16(testing::ProgramFile()))),
                     stdfs::copy_options::overwrite_existing);
    for (const std::string& file : {testing::LibraryFile("BurnerApLib.dll"),
                                    testing::LibraryFile("st50220.dll"),
                                    testing::LibraryFile("SunplusCamera.dll")}) {
      stdfs::copy_file(VendorLibraryFolder() / file, stdfs::path(dir.File(text::Utf8ToUtf16(file))),
                       stdfs::copy_options::overwrite_existing);
    }
  }
  void Setup(const Vendor& vendor, const char* imageVersion, const std::string& keys,
             const std::string& world = "") {
    dir.WriteFile(u"pid.ini", std::string("[PID_") + vendor.pid + "]\r\nCHIP=" + vendor.chip +
                                  "\r\nBIN=fw.bin\r\n");
    ASSERT_EQ(dir.Shell(std::string(OSTREL_IMAGE_MAKER) + " " + vendor.imageMode + " " + imageVersion +
                    " bin/fw.bin"),
              0);
    dir.WriteFile(u"simcam.ini",
                  "[World]\r\nTimeScale=0.01\r\nTrace=trace.log\r\nDialogTrace=dialog.log\r\n" + world +
                      WorldCamera(vendor.model, "0c45", vendor.pid, "0100",
                                  "Flash=camera1.flash\r\n" + keys));
  }
  int Run(bool silent = true) { return dir.RunOstrel(silent); }
  std::string LogAfterBanner() const { return dir.LogAfterBanner(); }
  std::string ReadyLines(const Vendor& vendor) const {
    return Utf16Le({u"Camera vid=0x0c45, pid=0x" + text::Utf8ToUtf16(vendor.pid) + u", bcd=0x0100.\r\n",
                    u"The camera vid/pid is ok, ready for update.\r\n",
                    u"Auto load the file[fw.bin], load ok.\r\n"});
  }

  testing::ProgramFolder dir;
};

#if defined(_WIN32)
// The libraries carry the export names of their variant, so that the engines look each up the
// way the variant needs: by the bare name, or by its stdcall decoration only.
TEST_F(VendorEndToEndTest, LibrariesExportTheirVariantsNames) {
  const bool decorated = Variant() == "stdcall-decorated";
  const struct {
    const char16_t* file;
    const char* name;
    const char* decoratedName;
  } exports[] = {
      {u"BurnerApLib.dll", "ReqToDriver", "_ReqToDriver@16"},
      {u"BurnerApLib.dll", "SetWriteProtect", "_SetWriteProtect@12"},
      {u"SunplusCamera.dll", "Download_FW_Verbose", "_Download_FW_Verbose@28"},
  };
  for (const auto& e : exports) {
    SCOPED_TRACE(e.name);
    const std::u16string path = dir.File(e.file);
    HMODULE library = LoadLibraryExW(reinterpret_cast<const wchar_t*>(path.c_str()), nullptr,
                                     LOAD_WITH_ALTERED_SEARCH_PATH);
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(GetProcAddress(library, e.name) != nullptr, !decorated);
    EXPECT_EQ(GetProcAddress(library, e.decoratedName) != nullptr, decorated);
    FreeLibrary(library);
  }
}
#endif

TEST_F(VendorEndToEndTest, SonixSuccessBurnsTheImageAndTheNextRunIsUpToDate) {
  Setup(kSonix, "0107", "RomVersion=232RO\r\nRomVersionByte5=1\r\nSerial=SN42\r\n");
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(LogAfterBanner(), ReadyLines(kSonix) + Utf16Le({u"Start update!\r\n"}));
  std::string burnt = dir.ReadFile(u"bin/fw.bin");
  burnt.replace(0xFF00, 4, "SN42");
  EXPECT_EQ(dir.ReadFile(u"camera1.flash"), burnt);
  EXPECT_NE(dir.ReadFile(u"trace.log").find("CALL ReqToDriver 7 0xc034 1 = 1\n"), std::string::npos);

  dir.WriteFile(u"bin/Ostrel_sp.log", "");
  EXPECT_EQ(Run(), 0);
  const std::string log = dir.ReadFile(u"bin/Ostrel_sp.log");
  EXPECT_NE(log.find(Utf16Le({u"bcd=0x0107.\r\n"})), std::string::npos);
  EXPECT_NE(log.find(Utf16Le({u"**FW version is the same, skip update!\r\n"})), std::string::npos);
}

TEST_F(VendorEndToEndTest, SonixFailuresEndWithCodeFiveAndTheirLogLine) {
  const struct {
    const char* keys;
    std::u16string line;
  } cases[] = {
      {"FailStep=init\r\n", u"Init SONIX camera module error!\r\n"},
      {"FailStep=protect\r\n", u"Set write protect error!\r\n"},
      {"FailStep=serial\r\n", u"Get Serial Number Fail!\r\n"},
      {"FailStep=erase\r\n", u"Erase Fail!\r\n"},
      {"FailStep=burn\r\n", u"Burn Process Fail!\r\n"},
      {"FailStep=verify\r\n", u"Verify Process Fail!\r\n"},
      {"FailStep=protect-on\r\n", u""},
      {"StuckByte=0x1234:0xab\r\n", u"Error! SF Data[1234]=ab , Buffer[1234]=0\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keys);
    dir.WriteFile(u"bin/Ostrel_sp.log", "");
    Setup(kSonix, "0107", c.keys);
    EXPECT_EQ(Run(), 5);
    const std::string log = dir.ReadFile(u"bin/Ostrel_sp.log");
    EXPECT_EQ(log.substr(log.size() - Utf16Le({u"Start update!\r\n", c.line}).size()),
              Utf16Le({u"Start update!\r\n", c.line}));
  }
}

TEST_F(VendorEndToEndTest, UnknownFailStepIsReportedOnStandardErrorAndFailsNothing) {
#if defined(_WIN32)
  const std::string run = "ostrel.exe -s >NUL 2>stderr.txt <NUL";
#else
  const std::string run = "./ostrel -s >/dev/null 2>stderr.txt </dev/null";
#endif
  for (const Vendor* vendor : {&kSonix, &kSunplus}) {
    SCOPED_TRACE(vendor->model);
    Setup(*vendor, "0107", "FailStep=bogus\r\n");
    EXPECT_EQ(dir.Shell(run), 0);
    const std::string report = dir.ReadFile(u"stderr.txt");
    EXPECT_NE(report.find("[Camera1] FailStep=bogus is not a value this key takes"),
              std::string::npos)
        << report;
  }
}

TEST_F(VendorEndToEndTest, MissingLibraryEndsAsDllMissing) {
  const struct {
    const Vendor* vendor;
    const char* file;
    std::string status;
  } cases[] = {
      {&kSonix, "st50220.dll", "TEXT 1005 BurnerApLib.dll, st50220.dll missing!"},
      {&kSonix, "BurnerApLib.dll", "TEXT 1005 BurnerApLib.dll, st50220.dll missing!"},
      {&kSunplus, "SunplusCamera.dll", "TEXT 1005 SunplusCamera.dll missing!"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    SetUp();
    Setup(*c.vendor, "0107", "");
    stdfs::remove(stdfs::path(dir.File(text::Utf8ToUtf16(testing::LibraryFile(c.file)))));
    EXPECT_EQ(Run(true), 5);
    dir.WriteFile(u"bin/Ostrel_sp.log", "");
    EXPECT_EQ(Run(false), 5);
    EXPECT_NE(dir.ReadFile(u"dialog.log").find(c.status + "\n"), std::string::npos);
    const std::string log = dir.ReadFile(u"bin/Ostrel_sp.log");
    EXPECT_NE(log.find(Utf16Le({u"Start update!\r\n**DLL missing!\r\n"})), std::string::npos);
  }
}

TEST_F(VendorEndToEndTest, SunplusSuccessKeepsTheSerialBlockAndTheNextRunIsUpToDate) {
  Setup(kSunplus, "0107", "FlashType=0x7A\r\nAsicType=0x6A\r\n");
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(LogAfterBanner(), ReadyLines(kSunplus) + Utf16Le({u"Start update!\r\n"}));
  // The camera had no valid header: the default block ends the download at 0x2000 + 32.
  const std::string flash = dir.ReadFile(u"camera1.flash");
  EXPECT_EQ(flash.substr(0, 0x2000), dir.ReadFile(u"bin/fw.bin").substr(0, 0x2000));
  EXPECT_EQ(flash.substr(0x2000, 4), std::string("\x00\x1E\x1E\x03", 4));
  EXPECT_EQ(flash.substr(0x2020, 16), std::string(16, '\xFF'));
  EXPECT_NE(dir.ReadFile(u"trace.log").find("CALL Download_FW_Verbose 8224 1 = 0\n"), std::string::npos);

  EXPECT_EQ(Run(), 0);
  EXPECT_NE(dir.ReadFile(u"bin/Ostrel_sp.log").find(Utf16Le({u"**FW version is the same, skip update!\r\n"})),
            std::string::npos);
}

TEST_F(VendorEndToEndTest, SunplusSerialBlockIsBackedUpAndRestoredAfterTheCameraLostIt) {
  const Vendor sunplusA = {"sunplus", "1", "2080", "sunplus-a"};  // chip type 0x68: sector 14
  const std::string keys = "FlashType=0x7A\r\nAsicType=0x68\r\n";
  std::string block = std::string("\x00\x12\x12\x03", 4);  // length 0x12 + 2 = 20
  for (char c : std::string("SN-00042")) block += std::string{c, '\0'};
  std::string flash(0x10000, '\xFF');
  flash.replace(0xE000, block.size(), block);
  dir.WriteFile(u"camera1.flash", flash);

  Setup(sunplusA, "0107", keys);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(dir.ReadFile(u"bin/SPSN.bin"), block);
  EXPECT_EQ(dir.ReadFile(u"camera1.flash").substr(0xE000, block.size()), block);

  // The camera's copy is lost (an interrupted update, say); the next update restores it.
  flash = dir.ReadFile(u"camera1.flash");
  flash.replace(0xE000, 0x1000, std::string(0x1000, '\xFF'));
  dir.WriteFile(u"camera1.flash", flash);
  Setup(sunplusA, "0108", keys);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(dir.ReadFile(u"camera1.flash").substr(0xE000, block.size()), block);
  EXPECT_EQ(dir.ReadFile(u"bin/SPSN.bin"), block);
}

TEST_F(VendorEndToEndTest, SunplusFailuresEndWithCodeFive) {
  for (const char* keys : {"FailStep=init\r\n", "FailStep=download\r\n", "FlashType=0x7C\r\n"}) {
    SCOPED_TRACE(keys);
    Setup(kSunplus, "0107", keys);
    EXPECT_EQ(Run(), 5);
  }
}

}  // namespace
}  // namespace ostrel
