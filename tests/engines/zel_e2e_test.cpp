// End-to-end runs of the simulation kit's ZEL path: the simulated ostrel loads the simulated
// Tandrel and updates the kit's camera from 0105 to 0107, in a copy of the kit.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "image_maker/zel_image.h"
#include "program_folder.h"
#include "text/utf16.h"

namespace ostrel {
namespace {

namespace stdfs = std::filesystem;
using testing::EndsWith;
using testing::Utf16Le;
using testing::WithManufacturer;
using testing::WorldCamera;

std::string Bytes(const std::vector<uint8_t>& image) { return std::string(image.begin(), image.end()); }

// A camera's flash holding a 0105 image with this manufacturer name.
std::string FlashWithManufacturer(const std::string& manufacturer) {
  image_maker::ZelImageSpec camera;
  camera.version = 0x0105;
  camera.manufacturer = manufacturer;
  return Bytes(image_maker::MakeZelImage(camera));
}

const std::string kReady = Utf16Le({u"Camera vid=0x0408, pid=0x2040, bcd=0x0105.\r\n",
                                    u"The camera vid/pid is ok, ready for update.\r\n",
                                    u"Auto load the file[zel.bin], load ok.\r\n", u"Start update!\r\n"});

class ZelEndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    stdfs::copy(OSTREL_SIM_KIT, stdfs::path(dir.Path()), stdfs::copy_options::recursive);
    UseCameraKeys("");
  }
  // The kit's world, ten times faster, with a dialog trace for the windowed runs.
  void UseCameraKeys(const std::string& keys) {
    dir.WriteFile(u"simcam.ini", "[World]\r\nTimeScale=0.1\r\nDialogTrace=dialog.log\r\n"
                                 "ClosePeriod=500\r\n" +
                                 WorldCamera("zel", "0408", "2040", "0105",
                                             "Flash=camera1.flash\r\n" + keys));
  }
  int Run(bool silent = true) const { return dir.RunOstrel(silent); }
  std::string LogAfterBanner() const { return dir.LogAfterBanner(); }

  testing::ProgramFolder dir;
};

TEST_F(ZelEndToEndTest, ManufacturerNameIsCarriedIntoTheFlashAndTheNextRunIsUpToDate) {
  dir.WriteFile(u"camera1.flash", FlashWithManufacturer("NORV Inc"));

  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(LogAfterBanner(), kReady);
  EXPECT_TRUE(dir.ReadFile(u"camera1.flash") == WithManufacturer(dir.ReadFile(u"bin/zel.bin"), "NORV Inc"));

  EXPECT_EQ(Run(), 0);
  const std::string second = dir.ReadFile(u"bin/Ostrel_sp.log");
  EXPECT_NE(second.find(Utf16Le({u"bcd=0x0107.\r\n"})), std::string::npos);
  EXPECT_TRUE(EndsWith(second, Utf16Le({u"**FW version is the same, skip update!\r\n"})));
}

TEST_F(ZelEndToEndTest, CameraWithoutManufacturerGetsTheSerialIndexCleared) {
  image_maker::ZelImageSpec image;
  image.serialNumber = "SN0001";  // iSerialNumber 3 in the image
  dir.WriteFile(u"bin/zel.bin", Bytes(image_maker::MakeZelImage(image)));
  dir.WriteFile(u"camera1.flash", FlashWithManufacturer(""));
  EXPECT_EQ(Run(), 0);
  std::string expected = dir.ReadFile(u"bin/zel.bin");
  expected[0x4030] = 0;
  EXPECT_TRUE(dir.ReadFile(u"camera1.flash") == expected);
}

TEST_F(ZelEndToEndTest, WindowedRunShowsTheUpdateAndLogsItsEnd) {
  EXPECT_EQ(Run(false), 0);
  const std::string log = LogAfterBanner();
  EXPECT_EQ(log.substr(0, kReady.size()), kReady);
  EXPECT_TRUE(EndsWith(log, Utf16Le({u"**Update Success!\r\n"})));
  const std::string dialog = dir.ReadFile(u"dialog.log");
  for (const char* line : {"TEXT 1007 0105 ->\n", "TEXT 1003 0107\n", "TEXT 1005 Don't turn off power!\n",
                           "ENABLE 2 0\n", "BITMAP 131\n", "TEXT 1005 Update finish!\n", "TEXT 1000 100%\n",
                           "ENABLE 2 1\n", "CLOSE accepted\n"}) {
    EXPECT_NE(dialog.find(line), std::string::npos) << line;
  }
  EXPECT_NE(dialog.find("CLOSE refused"), std::string::npos);
}

TEST_F(ZelEndToEndTest, VerifyMismatchFailsTheUpdate) {
  UseCameraKeys("StuckByte=0x8000:0x5a\r\n");
  EXPECT_EQ(Run(), 5);
  EXPECT_EQ(LogAfterBanner(), kReady);
  // The download stopped before the packet of the device descriptor: it stays erased, so the
  // camera reports the 0105 of its hardware id and the windowed run tries again.
  EXPECT_EQ(dir.ReadFile(u"camera1.flash").substr(0x401A, 26), std::string(26, '\xFF'));
  EXPECT_EQ(Run(false), 5);
  const std::string log = dir.ReadFile(u"bin/Ostrel_sp.log");
  EXPECT_TRUE(EndsWith(log, Utf16Le({u"**Update fail!\r\n"})));
  EXPECT_NE(dir.ReadFile(u"dialog.log").find("TEXT 1005 Please re-open me!\n"), std::string::npos);
}

TEST_F(ZelEndToEndTest, UnplugInTheWritePhaseThenTheNextRunCompletes) {
  UseCameraKeys("UnplugAfter=12000\r\n");
  EXPECT_EQ(Run(), 5);
  const std::string halfWritten = dir.ReadFile(u"camera1.flash");
  const std::string image = dir.ReadFile(u"bin/zel.bin");
  // The kit's camera carries its name into the image.
  EXPECT_EQ(halfWritten.substr(0, 0x4000), WithManufacturer(image, "NORV Optics").substr(0, 0x4000));
  EXPECT_EQ(halfWritten.substr(0x4000, 0x100), std::string(0x100, '\xFF'));

  UseCameraKeys("");  // plugged in again: the camera reports the 0105 of its hardware id
  EXPECT_EQ(Run(), 0);
  // The camera's own name went with the erase before the unplug; the run before kept it in
  // the bin folder, and it is carried from there.
  EXPECT_TRUE(EndsWith(dir.ReadFile(u"bin/Ostrel_sp.log"),
                       kReady + Utf16Le({u"Restore the manufacturer [NORV Optics]\r\n"})));
  EXPECT_TRUE(dir.ReadFile(u"camera1.flash") == WithManufacturer(image, "NORV Optics"));
  EXPECT_EQ(Run(), 0);
  EXPECT_TRUE(EndsWith(dir.ReadFile(u"bin/Ostrel_sp.log"),
                       Utf16Le({u"**FW version is the same, skip update!\r\n"})));
}

// Three ZEL cameras; only the second has a product id of pid.ini, so the library's own choice
// of camera, the first or the last it finds, is never the identified one.
class ZelThreeCamerasTest : public ZelEndToEndTest {
 protected:
  void UseWorld(const std::string& identifiedKeys) {
    std::string cameras;
    for (int n = 1; n <= 3; ++n) {
      const std::u16string flash = u"camera" + text::Utf8ToUtf16(std::to_string(n)) + u".flash";
      dir.WriteFile(flash, FlashWithManufacturer("Maker " + std::to_string(n)));
      cameras += testing::WorldCamera(n, "zel", "0408", n == 2 ? "2040" : "204" + std::to_string(n),
                                      "0105", "Flash=" + text::Utf16ToUtf8(flash) + "\r\n" +
                                                  (n == 2 ? identifiedKeys : ""));
      flashBefore[n - 1] = dir.ReadFile(flash);
    }
    dir.WriteFile(u"simcam.ini", "[World]\r\nTimeScale=0.1\r\n" + cameras);
  }
  std::string Flash(int n) const {
    return dir.ReadFile(u"camera" + text::Utf8ToUtf16(std::to_string(n)) + u".flash");
  }

  std::string flashBefore[3];
};

TEST_F(ZelThreeCamerasTest, TheIdentifiedCameraIsWrittenAndNoOther) {
  UseWorld("");
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(LogAfterBanner(), kReady);
  EXPECT_TRUE(Flash(2) == WithManufacturer(dir.ReadFile(u"bin/zel.bin"), "Maker 2"));
  EXPECT_TRUE(Flash(1) == flashBefore[0]);
  EXPECT_TRUE(Flash(3) == flashBefore[2]);
}

TEST_F(ZelThreeCamerasTest, AnIdentifiedCameraThatCannotBeBoundFailsAndNothingIsWritten) {
  for (const char* keys : {"NoExtensionUnit=1\r\n", "Fail0.2=0x8007001f\r\n"}) {
    UseWorld(keys);
    EXPECT_EQ(Run(), 5) << keys;
    for (int n = 1; n <= 3; ++n) EXPECT_TRUE(Flash(n) == flashBefore[n - 1]) << keys << n;
  }
  EXPECT_TRUE(EndsWith(dir.ReadFile(u"bin/Ostrel_sp.log"), kReady));
}

TEST_F(ZelEndToEndTest, MissingLibraryEndsAsDllMissing) {
  stdfs::remove(stdfs::path(dir.File(text::Utf8ToUtf16(testing::LibraryFile("Tandrel.dll")))));
  EXPECT_EQ(Run(), 5);
  EXPECT_EQ(LogAfterBanner(), kReady);
  EXPECT_EQ(Run(false), 5);
  const std::string log = dir.ReadFile(u"bin/Ostrel_sp.log");
  EXPECT_TRUE(EndsWith(log, Utf16Le({u"**DLL missing!\r\n"})));
  const std::string dialog = dir.ReadFile(u"dialog.log");
  EXPECT_NE(dialog.find("BITMAP 135\n"), std::string::npos);
  // Vendor 4 has no missing-library text: the status line keeps what it had.
  EXPECT_EQ(dialog.find("missing!"), std::string::npos);
}

}  // namespace
}  // namespace ostrel
