// The real ostrel.exe -s with the real Tandrel.dll, built with the release flags, against the
// Windows test camera: the exit code, the update log and the cameras' flash of each outcome of
// a silent run, the device-list cases of detection, and which camera the engine writes; each
// with the cameras' setup entries where Windows 10 and 11 file them and where Windows 7 does.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image_maker/zel_image.h"
#include "ostrel_with_wincam.h"
#include "text/utf16.h"

namespace ostrel {
namespace {

using testing::SilentRun;
using testing::WincamCamera;
using testing::WindowsMode;
using testing::WithManufacturer;
using Lines = std::vector<std::string>;

std::string Bytes(const std::vector<uint8_t>& image) {
  return std::string(image.begin(), image.end());
}

std::string ZelImage(uint16_t productId, uint16_t version, const std::string& manufacturer = "",
                     uint32_t seed = 1) {
  image_maker::ZelImageSpec spec;
  spec.productId = productId;
  spec.version = version;
  spec.manufacturer = manufacturer;
  spec.seed = seed;
  return Bytes(image_maker::MakeZelImage(spec));
}

// The lines of a run that found the 0x2040 camera at release bcd and loaded zel.bin.
Lines Loaded(const std::string& bcd, const std::string& load = "load ok.") {
  return {"Camera vid=0x0408, pid=0x2040, bcd=0x" + bcd + ".",
          "The camera vid/pid is ok, ready for update.", "Auto load the file[zel.bin], " + load};
}

Lines Then(Lines lines, const std::string& last) {
  lines.push_back(last);
  return lines;
}

const std::string kStart = "Start update!";
const std::string kSame = "**FW version is the same, skip update!";

WincamCamera Zel(const std::string& pid, const std::string& release, const std::string& piece) {
  WincamCamera camera;
  camera.pid = pid;
  camera.release = release;
  camera.piece = piece;
  return camera;
}

// A USB webcam without the vendor units, product 0x08nn of another vendor.
WincamCamera Webcam(int n) {
  WincamCamera camera;
  camera.model = "plain";
  camera.vid = "046D";
  camera.pid = "08" + std::string(n < 10 ? "0" : "") + std::to_string(n);
  camera.release = "0010";
  camera.piece = "5C0000" + std::string(n < 10 ? "0" : "") + std::to_string(n);
  return camera;
}

class OstrelSilentTest : public ::testing::TestWithParam<WindowsMode> {
 protected:
  static void TearDownTestSuite() { testing::PrintRunTable(); }
};

INSTANTIATE_TEST_SUITE_P(Both, OstrelSilentTest,
                         ::testing::Values(WindowsMode::kWindows10, WindowsMode::kWindows7),
                         [](const ::testing::TestParamInfo<WindowsMode>& mode) {
                           return mode.param == WindowsMode::kWindows10 ? "Windows10" : "Windows7";
                         });

TEST_P(OstrelSilentTest, NoCamera) {
  testing::OstrelWithWincam ostrel(GetParam());
  ostrel.UseWorld({});
  const SilentRun run = ostrel.RunSilent("no camera");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.log, Lines{"No Camera found!"});
}

// One ZEL camera; bin/zel.bin, when present, is 0107 without a manufacturer name.
struct OneCameraCase {
  const char* name;
  const char* pid;           // pid.ini names 2040
  const char* release;       // of the camera's flash
  const char* manufacturer;  // in the camera's flash
  const char* moreHardwareIds;
  bool imagePresent;
  int exitCode;
  Lines log;
  bool burnt;  // the flash ends as the image with the camera's name; otherwise it stays as it was
};

uint16_t Hex4(const std::string& digits) {
  return static_cast<uint16_t>(std::stoi(digits, nullptr, 16));
}

std::string ManyHardwareIds() {
  std::string ids;
  for (int i = 0; i < 200; ++i) ids += "USB\\VID_0408&PID_2040&MI_00&N" + std::to_string(i) + " ";
  return ids;  // about 6,600 characters: with the first id a 13 KB multi-string
}

TEST_P(OstrelSilentTest, OneCameraOutcomes) {
  const std::string many = ManyHardwareIds();
  const OneCameraCase cases[] = {
      {"PID not match", "2041", "0105", "", "", true, 2, {"PID not match"}, false},
      {"image missing", "2040", "0105", "", "", false, 3, Loaded("0105", "load fail!"), false},
      {"up to date", "2040", "0107", "", "", true, 0, Then(Loaded("0107"), kSame), false},
      {"update 0105 -> 0107", "2040", "0105", "NORV Inc", "", true, 0, Then(Loaded("0105"), kStart),
       true},
      // Longer than any first buffer a reader of the list might try.
      {"hardware-id list of 201 ids", "2040", "0107", "", many.c_str(), true, 0,
       Then(Loaded("0107"), kSame), false},
  };
  const std::string image = ZelImage(0x2040, 0x0107);
  for (const OneCameraCase& c : cases) {
    SCOPED_TRACE(c.name);
    testing::OstrelWithWincam ostrel(GetParam());
    if (c.imagePresent) ostrel.UseImage(image);
    const std::string flash = ZelImage(Hex4(c.pid), Hex4(c.release), c.manufacturer);
    ostrel.UseFlash(1, flash);
    WincamCamera camera = Zel(c.pid, c.release, "2E3F1C7E");
    if (*c.moreHardwareIds)
      camera.extraKeys = "HardwareIds=" + std::string(c.moreHardwareIds) + "\r\n";
    ostrel.UseWorld({camera});
    const SilentRun run = ostrel.RunSilent(c.name);
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_EQ(run.log, c.log);
    EXPECT_TRUE(ostrel.Flash(1) == (c.burnt ? WithManufacturer(image, c.manufacturer) : flash));
  }
}

// The camera goes in the write phase, before the page with its device descriptor is written:
// it still reports 0105, so the next run updates it, with the name the run before kept.
TEST_P(OstrelSilentTest, UnplugInTheMiddleThenTheNextRunCompletes) {
  testing::OstrelWithWincam ostrel(GetParam());
  const std::string image = ZelImage(0x2040, 0x0107);
  ostrel.UseImage(image);
  ostrel.UseFlash(1, ZelImage(0x2040, 0x0105, "NORV Inc"));
  WincamCamera camera = Zel("2040", "0105", "2E3F1C7E");
  camera.extraKeys = "UnplugAfter=10500\r\n";
  ostrel.UseWorld({camera});
  const SilentRun unplugged = ostrel.RunSilent("unplug in the write phase");
  EXPECT_EQ(unplugged.exitCode, 5);
  EXPECT_EQ(unplugged.log, Then(Loaded("0105"), kStart));
  const std::string halfWritten = ostrel.Flash(1);
  ASSERT_EQ(halfWritten.size(), image.size());
  EXPECT_EQ(halfWritten.substr(0, 26), image.substr(0, 26));
  EXPECT_EQ(halfWritten[0x4020], '\xFF');

  camera.extraKeys.clear();
  ostrel.UseWorld({camera});  // plugged in again
  const SilentRun completed = ostrel.RunSilent("next run after the unplug");
  EXPECT_EQ(completed.exitCode, 0);
  EXPECT_EQ(completed.log,
            Then(Then(Loaded("0105"), kStart), "Restore the manufacturer [NORV Inc]"));
  EXPECT_TRUE(ostrel.Flash(1) == WithManufacturer(image, "NORV Inc"));
}

// DirectShow lists a webcam of another vendor, the camera, a second camera of the same product
// at 0107 and an imaging device of another bus; SetupAPI lists their entries in its own order
// (the other bus's first; then the second camera's; the webcam's last). Each device gets the
// entry whose instance id its path holds.
TEST_P(OstrelSilentTest, SeveralImagingDevicesEachMatchedByItsInstanceId) {
  testing::OstrelWithWincam ostrel(GetParam());
  const std::string image = ZelImage(0x2040, 0x0105);
  ostrel.UseImage(image);
  ostrel.UseFlash(2, image);
  ostrel.UseFlash(3, ZelImage(0x2040, 0x0107));
  WincamCamera scanner = Webcam(99);
  scanner.usb = false;
  scanner.extraKeys = "InstanceId=ROOT\\IMAGE\\0000\r\n";
  ostrel.UseWorld(
      {Webcam(25), Zel("2040", "0105", "3B000001"), Zel("2040", "0107", "1A000002"), scanner});
  const SilentRun run = ostrel.RunSilent("several imaging devices");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.log, Then(Loaded("0105"), kSame));
}

// A scanner without serial number is present, and its imaging-class entry comes first: its
// instance id ends in "0" as every such device's does, and "0" is a piece of every camera path.
// It is no camera's: the webcam of another maker and the camera are judged by their own entries.
TEST_P(OstrelSilentTest, ScannerListedFirstIsNoCamerasEntry) {
  testing::OstrelWithWincam ostrel(GetParam());
  const std::string image = ZelImage(0x2040, 0x0107);
  ostrel.UseImage(image);
  ostrel.UseFlash(2, ZelImage(0x2040, 0x0105, "NORV Inc"));
  ostrel.UseWorld({Webcam(25), Zel("2040", "0105", "2E3F1C7E")},
                  "[Device1]\r\nInstanceId=USB\\VID_03F0&PID_4105\\5&1A2B3C4D&0&2\r\n"
                  "HardwareId=USB\\VID_03F0&PID_4105&REV_0100\r\nSetupClass=Image\r\n");
  const SilentRun run = ostrel.RunSilent("scanner listed first, then a webcam and the camera");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.log, Then(Loaded("0105"), kStart));
  EXPECT_TRUE(ostrel.Flash(2) == WithManufacturer(image, "NORV Inc"));
}

// Windows refuses to open the camera (the camera privacy setting off for desktop programs):
// the update fails before anything is written, and the log says why.
TEST_P(OstrelSilentTest, AccessDeniedIsSaidInTheLog) {
  testing::OstrelWithWincam ostrel(GetParam());
  ostrel.UseImage(ZelImage(0x2040, 0x0107));
  const std::string flash = ZelImage(0x2040, 0x0105, "NORV Inc");
  ostrel.UseFlash(1, flash);
  WincamCamera camera = Zel("2040", "0105", "2E3F1C7E");
  camera.extraKeys = "AccessDenied=1\r\n";
  ostrel.UseWorld({camera});
  const SilentRun run = ostrel.RunSilent("access denied");
  EXPECT_EQ(run.exitCode, 5);
  EXPECT_EQ(run.log, Then(Then(Loaded("0105"), kStart),
                          "Windows denied access to the camera: the camera privacy setting for "
                          "desktop apps may be off."));
  EXPECT_TRUE(ostrel.Flash(1) == flash);
}

// A boot-ROM camera, then a camera whose setup entry has no hardware-id list: the size
// query of that list reports no size, so identification goes on past it and the boot-ROM
// identity found first stands (with no saved settings its image is then not found).
TEST_P(OstrelSilentTest, EntryWithoutHardwareIdsKeepsTheIdentityFoundBefore) {
  testing::OstrelWithWincam ostrel(GetParam());
  WincamCamera bootRom = Webcam(1);
  bootRom.vid = "0C45";
  bootRom.pid = "6362";
  WincamCamera noIds = Zel("2040", "0105", "2E3F1C7E");
  noIds.extraKeys = "NoHardwareIds=1\r\n";
  ostrel.UseWorld({bootRom, noIds});
  const SilentRun run = ostrel.RunSilent("boot ROM, then an entry without hardware ids");
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_EQ(run.log, (Lines{"ROM code is found, ready for update.",
                            "Auto load the file[], load fail!"}));
}

// The device-path table holds ten USB devices: an eleventh is not identified, whatever it is;
// a device of another bus takes no place in the table.
TEST_P(OstrelSilentTest, MoreThanTenVideoDevices) {
  testing::OstrelWithWincam ostrel(GetParam());
  const std::string image = ZelImage(0x2040, 0x0105);
  ostrel.UseImage(image);
  ostrel.UseFlash(11, image);
  std::vector<WincamCamera> cameras;
  for (int i = 1; i <= 10; ++i) cameras.push_back(Webcam(i));
  cameras.push_back(Zel("2040", "0105", "2E3F1C7E"));
  ostrel.UseWorld(cameras);
  const SilentRun eleventh = ostrel.RunSilent("camera as 11th of 11 USB devices");
  EXPECT_EQ(eleventh.exitCode, 2);
  EXPECT_EQ(eleventh.log, Lines{"PID not match"});

  cameras.front().usb = false;
  ostrel.UseWorld(cameras);
  const SilentRun tenth = ostrel.RunSilent("camera as 10th USB device of 11");
  EXPECT_EQ(tenth.exitCode, 0);
  EXPECT_EQ(tenth.log, Then(Loaded("0105"), kSame));
  EXPECT_TRUE(ostrel.Flash(11) == image);
}

// Three ZEL cameras that the library supports alike; detection identifies the second by its
// product id, and only that one is written (neither the first nor the last one listed).
TEST_P(OstrelSilentTest, SeveralZelCamerasOnlyTheIdentifiedOneIsWritten) {
  testing::OstrelWithWincam ostrel(GetParam());
  const std::string image = ZelImage(0x2040, 0x0107);
  ostrel.UseImage(image);
  const std::string others[] = {ZelImage(0x2041, 0x0105, "", 11), ZelImage(0x2042, 0x0105, "", 13)};
  ostrel.UseFlash(1, others[0]);
  ostrel.UseFlash(2, ZelImage(0x2040, 0x0105, "", 12));
  ostrel.UseFlash(3, others[1]);
  ostrel.UseWorld({Zel("2041", "0105", "1C0A0001"), Zel("2040", "0105", "2E3F1C7E"),
                   Zel("2042", "0105", "3D4B0003")});
  const SilentRun run = ostrel.RunSilent("ZEL cameras, 2nd of 3 identified");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.log, Then(Loaded("0105"), kStart));
  EXPECT_TRUE(ostrel.Flash(2) == image);
  EXPECT_TRUE(ostrel.Flash(1) == others[0]);
  EXPECT_TRUE(ostrel.Flash(3) == others[1]);
}

}  // namespace
}  // namespace ostrel
