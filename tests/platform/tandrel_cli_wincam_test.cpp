// tandrel.exe with the real Tandrel.dll against the Windows test camera: list, info, one set
// and get, and an update whose camera requests equal those of ostrel.exe -s on the same
// camera and image (with --force, which reads no version first); a camera Windows refuses to
// open.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "image_maker/zel_image.h"
#include "ostrel_with_wincam.h"

namespace ostrel {
namespace {

namespace stdfs = std::filesystem;
using testing::OstrelWithWincam;
using testing::WincamCamera;

std::string ZelImage(uint16_t version) {
  image_maker::ZelImageSpec spec;
  spec.version = version;
  spec.manufacturer = "NORV Inc";
  const std::vector<uint8_t> image = image_maker::MakeZelImage(spec);
  return std::string(image.begin(), image.end());
}

// The program folder with tandrel.exe beside Tandrel.dll, a camera at 0105 with a request
// trace, and zel.bin at 0107.
void Prepare(const OstrelWithWincam& run) {
  stdfs::copy_file(TANDREL_CLI, stdfs::path(run.program.File(u"tandrel.exe")));
  run.UseFlash(1, ZelImage(0x0105));
  run.UseImage(ZelImage(0x0107));
  run.UseWorld({WincamCamera{}});
  const std::string world = run.camera.ReadFile(u"simcam.ini");
  run.camera.WriteFile(u"simcam.ini",
                       "[World]\r\nTrace=trace.log\r\n" + world.substr(world.find("TimeScale")));
}

// Runs tandrel.exe in the program folder and prints the run as a terminal would show it.
int Tandrel(const OstrelWithWincam& run, const std::string& arguments) {
  const int exitCode = run.program.Shell("tandrel.exe " + arguments + " >out.txt 2>err.txt");
  std::printf("> tandrel.exe %s\n%s%s[exit %d]\n", arguments.c_str(),
              run.program.ReadFile(u"out.txt").c_str(), run.program.ReadFile(u"err.txt").c_str(),
              exitCode);
  return exitCode;
}

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(TandrelCliWincamTest, ListInfoSetGetAndTheUpdatersUpdate) {
  std::string updaterTrace, updaterFlash;
  {
    OstrelWithWincam updater;
    Prepare(updater);
    ASSERT_EQ(updater.RunSilent("update for tandrel.exe's comparison").exitCode, 0);
    updaterTrace = updater.camera.ReadFile(u"trace.log");
    updaterFlash = updater.Flash(1);
  }
  OstrelWithWincam run;
  Prepare(run);

  EXPECT_EQ(Tandrel(run, "list"), 0);
  EXPECT_TRUE(Has(run.program.ReadFile(u"out.txt"), "handle: \\\\?\\usb#vid_0408&pid_2040"))
      << run.program.ReadFile(u"out.txt");
  EXPECT_TRUE(Has(run.program.ReadFile(u"out.txt"), "release: 0x0105"));

  EXPECT_EQ(Tandrel(run, "info --json"), 0);
  EXPECT_TRUE(
      Has(run.program.ReadFile(u"out.txt"), "\"chip_id\":\"0x0A020801\",\"chip_variant\":\"A\""));
  EXPECT_TRUE(Has(run.program.ReadFile(u"out.txt"), "\"manufacturer\":\"NORV Inc\""));

  EXPECT_EQ(Tandrel(run, "set pan-tilt 1 512"), 0);
  EXPECT_TRUE(Has(run.camera.ReadFile(u"trace.log"), "SET 0 5 64 05000100000200"));
  EXPECT_EQ(Tandrel(run, "get pan-tilt --json"), 0);
  EXPECT_TRUE(Has(run.program.ReadFile(u"out.txt"),
                  "{\"command\":\"get\",\"name\":\"pan-tilt\",\"values\":["));
  EXPECT_EQ(Tandrel(run, "set pan-tilt 1 65536"), 4);

  run.camera.WriteFile(u"trace.log", "");
  EXPECT_EQ(Tandrel(run, "update bin\\zel.bin --force -q"), 0) << run.program.ReadFile(u"err.txt");
  EXPECT_TRUE(Has(run.program.ReadFile(u"out.txt"), "written: true"));
  EXPECT_TRUE(run.Flash(1) == updaterFlash);
  EXPECT_TRUE(run.camera.ReadFile(u"trace.log") == updaterTrace);
  run.Register();
  EXPECT_EQ(Tandrel(run, "update bin\\zel.bin"), 8);
}

// With the camera privacy setting off for desktop programs, Windows refuses to open the camera:
// the tool says so, and finds no camera.
TEST(TandrelCliWincamTest, AccessDeniedIsSaidOnStandardError) {
  OstrelWithWincam run;
  stdfs::copy_file(TANDREL_CLI, stdfs::path(run.program.File(u"tandrel.exe")));
  run.UseFlash(1, ZelImage(0x0105));
  WincamCamera camera;
  camera.extraKeys = "AccessDenied=1\r\n";
  run.UseWorld({camera});
  EXPECT_EQ(Tandrel(run, "info"), 2);
  EXPECT_TRUE(Has(run.program.ReadFile(u"err.txt"),
                  "tandrel: Windows denied access to the camera: the camera privacy setting for "
                  "desktop apps may be off (\\\\?\\usb#vid_0408&pid_2040"))
      << run.program.ReadFile(u"err.txt");
}

}  // namespace
}  // namespace ostrel
