// The real ostrel.exe -s with the real Tandrel.dll, built with the release flags, against the
// Windows test camera: the exit code, the update log and the cameras' flash of each outcome of
// a silent run, the device-list cases of detection, and which camera the engine writes.
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
using Lines = std::vector<std::string>;

std::string Bytes(const std::vector<uint8_t>& image) { return std::string(image.begin(), image.end()); }

std::string ZelImage(uint16_t productId, uint16_t version, const std::string& manufacturer = "",
                     uint32_t seed = 1) {
  image_maker::ZelImageSpec spec;
  spec.productId = productId;
  spec.version = version;
  spec.manufacturer = manufacturer;
  spec.seed = seed;
  return Bytes(image_maker::MakeZelImage(spec));
}

// The image as the update burns it for a camera named manufacturer: the name as string 3 in
// its 64-byte slot of the string-descriptor area, the device descriptor's iManufacturer 3.
std::string WithManufacturer(std::string image, const std::string& name) {
  std::string slot(64, '\0');
  slot[0] = static_cast<char>(2 + 2 * name.size());
  slot[1] = 3;
  for (size_t i = 0; i < name.size(); ++i) slot[2 + 2 * i] = name[i];
  image.replace(0x2020 + 3 * 64, 64, slot);
  image[0x402E] = 3;
  return image;
}

// The lines of a run that found the 0x2040 camera at release bcd and loaded zel.bin.
Lines Loaded(const std::string& bcd) {
  return {"Camera vid=0x0408, pid=0x2040, bcd=0x" + bcd + ".",
          "The camera vid/pid is ok, ready for update.", "Auto load the file[zel.bin], load ok."};
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

class OstrelSilentTest : public ::testing::Test {
 protected:
  static void TearDownTestSuite() { testing::PrintRunTable(); }

  void UseImage(const std::string& image) { ostrel.program.WriteFile(u"bin/zel.bin", image); }
  // The flash file of the world's camera number n.
  static std::u16string FlashFile(int n) {
    return text::Utf8ToUtf16("camera" + std::to_string(n) + ".flash");
  }
  void UseFlash(int n, const std::string& bytes) { ostrel.camera.WriteFile(FlashFile(n), bytes); }
  std::string Flash(int n) const { return ostrel.camera.ReadFile(FlashFile(n)); }

  testing::OstrelWithWincam ostrel;
};

TEST_F(OstrelSilentTest, NoCamera) {
  ostrel.UseWorld({});
  const SilentRun run = ostrel.RunSilent("no camera");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.log, Lines{"No Camera found!"});
}

TEST_F(OstrelSilentTest, ProductNotInPidIni) {
  UseFlash(1, ZelImage(0x2041, 0x0105));
  ostrel.UseWorld({Zel("2041", "0105", "2E3F1C7E")});
  const SilentRun run = ostrel.RunSilent("PID not match");
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.log, Lines{"PID not match"});
}

TEST_F(OstrelSilentTest, ImageMissing) {
  const std::string flash = ZelImage(0x2040, 0x0105);
  UseFlash(1, flash);
  ostrel.UseWorld({Zel("2040", "0105", "2E3F1C7E")});
  const SilentRun run = ostrel.RunSilent("image missing");
  EXPECT_EQ(run.exitCode, 3);
  Lines expected = Loaded("0105");
  expected.back() = "Auto load the file[zel.bin], load fail!";
  EXPECT_EQ(run.log, expected);
  EXPECT_TRUE(Flash(1) == flash);
}

TEST_F(OstrelSilentTest, UpToDate) {
  const std::string image = ZelImage(0x2040, 0x0107);
  UseImage(image);
  UseFlash(1, image);
  ostrel.UseWorld({Zel("2040", "0107", "2E3F1C7E")});
  const SilentRun run = ostrel.RunSilent("up to date");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.log, Then(Loaded("0107"), kSame));
}

TEST_F(OstrelSilentTest, FullUpdateCarriesTheManufacturerName) {
  const std::string image = ZelImage(0x2040, 0x0107);
  UseImage(image);
  UseFlash(1, ZelImage(0x2040, 0x0105, "NORV Inc"));
  ostrel.UseWorld({Zel("2040", "0105", "2E3F1C7E")});
  const SilentRun run = ostrel.RunSilent("update 0105 -> 0107");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.log, Then(Loaded("0105"), kStart));
  EXPECT_TRUE(Flash(1) == WithManufacturer(image, "NORV Inc"));
}

// The camera goes in the write phase, before the page with its device descriptor is written:
// it still reports 0105, so the next run updates it.
TEST_F(OstrelSilentTest, UnplugInTheMiddleThenTheNextRunCompletes) {
  const std::string image = ZelImage(0x2040, 0x0107);
  UseImage(image);
  UseFlash(1, ZelImage(0x2040, 0x0105));
  WincamCamera camera = Zel("2040", "0105", "2E3F1C7E");
  camera.extraKeys = "UnplugAfter=10500\r\n";
  ostrel.UseWorld({camera});
  const SilentRun unplugged = ostrel.RunSilent("unplug in the write phase");
  EXPECT_EQ(unplugged.exitCode, 5);
  EXPECT_EQ(unplugged.log, Then(Loaded("0105"), kStart));
  const std::string halfWritten = Flash(1);
  ASSERT_EQ(halfWritten.size(), image.size());
  EXPECT_EQ(halfWritten.substr(0, 26), image.substr(0, 26));
  EXPECT_EQ(halfWritten[0x4020], '\xFF');

  camera.extraKeys.clear();
  ostrel.UseWorld({camera});  // plugged in again
  const SilentRun completed = ostrel.RunSilent("next run after the unplug");
  EXPECT_EQ(completed.exitCode, 0);
  EXPECT_EQ(completed.log, Then(Loaded("0105"), kStart));
  // The name is read from the erased descriptor: index 0xFF, slot size 4 (the first non-zero
  // byte of the erased area), one character 0xFFFF, which the ANSI code page makes "?".
  EXPECT_TRUE(Flash(1) == WithManufacturer(image, "?"));
}

// DirectShow lists a webcam of another vendor, the camera, a second camera of the same product
// at 0107 and an imaging device of another bus; SetupAPI lists their entries in its own order
// (the other bus's, whose instance id has no fourth piece, first; then the second camera's; the
// webcam's last). Each device gets the entry whose instance id holds its piece.
TEST_F(OstrelSilentTest, SeveralImagingDevicesEachMatchedByItsInstancePiece) {
  const std::string image = ZelImage(0x2040, 0x0105);
  UseImage(image);
  UseFlash(2, image);
  UseFlash(3, ZelImage(0x2040, 0x0107));
  WincamCamera scanner = Webcam(99);
  scanner.usb = false;
  scanner.extraKeys = "InstanceId=ROOT\\IMAGE\\0000\r\n";
  ostrel.UseWorld({Webcam(25), Zel("2040", "0105", "3B000001"), Zel("2040", "0107", "1A000002"),
                   scanner});
  const SilentRun run = ostrel.RunSilent("several imaging devices");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.log, Then(Loaded("0105"), kSame));
}

TEST_F(OstrelSilentTest, HardwareIdListLongerThanAnyFirstBuffer) {
  const std::string image = ZelImage(0x2040, 0x0105);
  UseImage(image);
  UseFlash(1, image);
  WincamCamera camera = Zel("2040", "0105", "2E3F1C7E");
  camera.extraKeys = "HardwareIds=";
  for (int i = 0; i < 200; ++i) camera.extraKeys += "USB\\VID_0408&PID_2040&MI_00&N" + std::to_string(i) + " ";
  camera.extraKeys += "\r\n";  // about 6,000 characters, 12 KB of multi-string
  ostrel.UseWorld({camera});
  const SilentRun run = ostrel.RunSilent("hardware-id list of 201 ids");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.log, Then(Loaded("0105"), kSame));
}

// The device-path table holds ten USB devices: an eleventh is not identified, whatever it is;
// a device of another bus takes no place in the table.
TEST_F(OstrelSilentTest, MoreThanTenVideoDevices) {
  const std::string image = ZelImage(0x2040, 0x0105);
  UseImage(image);
  UseFlash(11, image);
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
  EXPECT_TRUE(Flash(11) == image);
}

// Three ZEL cameras that the library supports alike; detection identifies the second by its
// product id, and only that one is written (neither the first nor the last one listed).
TEST_F(OstrelSilentTest, SeveralZelCamerasOnlyTheIdentifiedOneIsWritten) {
  const std::string image = ZelImage(0x2040, 0x0107);
  UseImage(image);
  const std::string others[] = {ZelImage(0x2041, 0x0105, "", 11), ZelImage(0x2042, 0x0105, "", 13)};
  UseFlash(1, others[0]);
  UseFlash(2, ZelImage(0x2040, 0x0105, "", 12));
  UseFlash(3, others[1]);
  ostrel.UseWorld({Zel("2041", "0105", "1C0A0001"), Zel("2040", "0105", "2E3F1C7E"),
                   Zel("2042", "0105", "3D4B0003")});
  const SilentRun run = ostrel.RunSilent("ZEL cameras, 2nd of 3 identified");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.log, Then(Loaded("0105"), kStart));
  EXPECT_TRUE(Flash(2) == image);
  EXPECT_TRUE(Flash(1) == others[0]);
  EXPECT_TRUE(Flash(3) == others[1]);
}

}  // namespace
}  // namespace ostrel
