// The command-line tool as its own process in a copy of the simulation kit: every command's
// text, JSON and exit code from one table; the camera requests a write sends; the update
// against the updater's own; Ctrl-C in the middle of a flash write and the recovery.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "image_maker/zel_image.h"
#include "program_folder.h"

namespace ostrel {
namespace {

namespace stdfs = std::filesystem;
using testing::WorldCamera;

const std::string kDevice =
    "\\\\?\\usb#vid_0408&pid_2040&mi_00#6&2e3f1c7e&0&0000#{65e8773d-8f56-11d0-a3b9-00a0c9223196}"
    "\\global";

class KitFolder : public testing::ProgramFolder {
 public:
  // The kit with its camera (or none) and the extra keys of the camera.
  explicit KitFolder(const std::string& cameraKeys = "", bool camera = true) {
    stdfs::copy(OSTREL_SIM_KIT, stdfs::path(Path()), stdfs::copy_options::recursive);
    UseWorld("0.01", cameraKeys, camera);
  }
  void UseWorld(const std::string& timeScale, const std::string& cameraKeys,
                bool camera = true) const {
    WriteFile(u"simcam.ini", "[World]\r\nTimeScale=" + timeScale + "\r\nTrace=trace.log\r\n" +
                                 (camera ? WorldCamera("zel", "0408", "2040", "0105",
                                                       "Flash=camera1.flash\r\n" + cameraKeys)
                                         : std::string()));
  }
  // Runs ./tandrel with arguments; stdout and stderr to files; its exit code.
  int Tandrel(const std::string& arguments) const {
    return Shell("./tandrel " + arguments + " >out.txt 2>err.txt </dev/null");
  }
  std::string Out() const { return ReadFile(u"out.txt"); }
  std::string Err() const { return ReadFile(u"err.txt"); }
  std::string Trace() const { return Exists(u"trace.log") ? ReadFile(u"trace.log") : ""; }
};

std::string Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos
             ? ""
             : "\n  missing: " + part + "\n  in: " + text.substr(0, 600);
}

struct Case {
  const char* arguments;
  int exitCode;
  const char* text;  // in standard output (exit 0) or standard error
  const char* json;  // in the one JSON object
  const char*
      trace;  // in the request trace of the text run ("" nothing asked; nullptr: no request at all)
  const char* cameraKeys = "";
};

// The kit's camera: chip 0x0A020801, flash image 0105 with a manufacturer and a serial number,
// encoder record 3.
const Case kCases[] = {
    {"list", 0, "release: 0x0105", "\"cameras\":[{\"handle\":", ""},
    {"info", 0, "chip_id: 0x0A020801", "\"chip_variant\":\"A\",\"firmware\":{\"vendor\":\"0408\"",
     ""},
    {"info", 0, "encoder_record_version: 3",
     "\"manufacturer\":\"NORV Optics\",\"serial_number\":\"NV2040-000117\"", ""},
    {"get pan-tilt", 0, "values: 0 0",
     "{\"command\":\"get\",\"name\":\"pan-tilt\",\"values\":[0,0]}", "GET 0 5 64"},
    {"get --all", 0, "encoder-gop: 30", "\"encoder-params\":[4000000,1920,1080,30,0]", ""},
    {"get encoder-stream-caps 0", 0, "index: 0", "\"index\":0,\"values\":[", ""},
    {"get encoder-profile 7", 4, "ZEL_E_INVALID_ARG", "\"exit\":4", ""},
    {"get no-such", 1, "no readable setting no-such", "\"exit\":1", nullptr},
    {"get calibrate-mode", 1, "no readable setting", "\"exit\":1", nullptr},
    {"set pan-tilt 1 0x200", 0, "values: 1 512", "\"values\":[1,512]",
     "SET 0 5 64 05000100000200000000"},
    {"set led 9", 0, "values: 9", "\"name\":\"led\"", "SET 1 2 64 09000000"},
    {"set encoder-key-frame", 0, "values:", "\"values\":[]", "SET 0 1 64"},
    // Refused by the tool's ranges before any request, and by the library.
    {"set pan-tilt 1 65536", 4, "pan-tilt value 2 is 65536, at most 65535", "\"exit\":4", nullptr},
    {"set cropped-image 1 2 3 481 5", 4, "at most 480", "\"exit\":4", nullptr},
    {"set special-effect 11", 4, "at most 10", "\"exit\":4", nullptr},
    {"set calibrate-mode 4", 4, "at most 3", "\"exit\":4", nullptr},
    {"set wb-comp 0 0 0x40000", 4, "at most 262143", "\"exit\":4", nullptr},
    {"set encoder-profile-and-level 99 100", 4, "(ZEL_E_INVALID_ARG)",
     "\"result_name\":\"ZEL_E_INVALID_ARG\"", ""},
    {"set mirror", 1, "mirror takes 1 value(s)", "\"exit\":1", nullptr},
    {"set mirror x", 1, "value is not a number: x", "\"exit\":1", nullptr},
    {"set encoder-entropy 1", 6, "not supported", "\"result_name\":\"ZEL_E_NOT_SUPPORTED\"", ""},
    // Raw access and chip control.
    {"xu get 0 2 4", 0, "data: 00000000", "\"selector\":2,\"length\":4,\"data\":\"00000000\"",
     "GET 0 2 64 00000000"},
    // A write shorter than the control is refused, as the platform refuses a short buffer.
    {"xu set 0 2 0a0b", 3, "(ZEL_E_DEVICE)", "\"exit\":3", "SET 0 2 2 0a0b 8007007a"},
    {"xu get 1 2 4", 4, "extension unit 0 only", "\"exit\":4", nullptr},
    {"xu set 0 2 0a0", 1, "HEX is pairs of hex digits", "\"exit\":1", nullptr},
    {"reg read 0x06000000", 0, "value: 0x0A020801",
     "\"registers\":[{\"address\":\"0x06000000\",\"value\":\"0x0A020801\"}]", ""},
    {"reg read 0x06000000 65", 4, "COUNT is 1 to 64", "\"exit\":4", nullptr},
    {"reg write 0x10 0x5", 0, "value: 0x00000005", "\"address\":\"0x00000010\"",
     "SET 0 2 64 01100000000500000000"},
    {"pll", 0, "done: true", "\"done\":true", ""},
    {"reset", 0, "done: true", "\"done\":true", ""},
    {"usb-boot", 9, "not confirmed", "\"exit\":9", nullptr},
    {"usb-boot --yes 1", 0, "mode: 1", "\"mode\":1", ""},
    // Flash.
    {"flash read 0x4020 18 -o d.bin", 0, "file: d.bin", "\"length\":18,\"file\":\"d.bin\"",
     "GET 0 3 64"},
    {"flash read 0x1FFFF 2 -o d.bin", 4, "ends past the flash", "\"exit\":4", nullptr},
    {"flash read 0 2", 1, "needs -o FILE", "\"exit\":1", nullptr},
    {"flash verify camera1.flash -q", 0, "match: true", "\"match\":true", ""},
    {"flash verify bin/zel.bin -q", 5, "differs from the file first at 0x00256", "\"exit\":5", ""},
    {"flash verify missing.bin", 7, "cannot read missing.bin", "\"exit\":7", nullptr},
    {"flash write bin/zel.bin --offset 0x1F000 -q", 4, "ends past the flash", "\"exit\":4",
     nullptr},
    {"flash erase", 0, "erased: true", "\"erased\":true", ""},
    {"update bin/zel.bin -q", 0, "written: true",
     "\"camera_release\":\"0x0105\",\"manufacturer\":\"NORV Optics\",\"erase_checked\":true,"
     "\"written\":true,\"reset\":true",
     ""},
    {"update camera1.flash", 8, "the image is not newer", "\"written\":false", ""},
    {"update bin/zel.bin --dry-run", 0, "dry_run: true",
     "\"image_version\":\"0x0107\",\"camera_release\":\"0x0105\",\"written\":false,\"dry_run\":"
     "true",
     ""},
    {"update pid.ini", 7, "no ZEL image", "\"exit\":7", nullptr},
    // The bound camera; failures of the camera.
    {"info --device nowhere", 2, "no video input nowhere", "\"exit\":2", nullptr},
    {"get mirror", 3, "camera request failed", "\"result_name\":\"ZEL_E_DEVICE\"", "",
     "Fail0.6=0x80070001\r\n"},
    {"set mirror 1", 3, "camera request failed", "\"exit\":3", "", "FailSet0.6=0x80070001\r\n"},
    // Usage.
    {"frobnicate", 1, "unknown command frobnicate", nullptr, nullptr},
    {"info --bogus", 1, "unknown option --bogus", nullptr, nullptr},
};

TEST(TandrelCliTest, EveryCommandInTextAndJson) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.arguments);
    KitFolder kit(c.cameraKeys);
    EXPECT_EQ(kit.Tandrel(c.arguments), c.exitCode);
    const std::string shown = c.exitCode == 0 ? kit.Out() : kit.Err();
    EXPECT_EQ(Contains(shown, c.text), "");
    if (c.trace == nullptr) {
      EXPECT_EQ(kit.Trace().find("SET"), std::string::npos);
      EXPECT_EQ(kit.Trace().find("GET"), std::string::npos);
    } else {
      EXPECT_EQ(Contains(kit.Trace(), c.trace), "");
    }
    if (c.json == nullptr) continue;
    KitFolder again(c.cameraKeys);
    EXPECT_EQ(again.Tandrel(std::string(c.arguments) + " --json"), c.exitCode);
    const std::string json = again.Out();
    EXPECT_EQ(json.front(), '{');
    EXPECT_EQ(json.find('\n'), json.size() - 1) << "one object, one line";
    EXPECT_EQ(Contains(json, c.json), "");
  }
}

TEST(TandrelCliTest, WithoutCameraEveryCommandSaysSo) {
  for (const char* arguments : {"list", "info", "get pan-tilt", "set mirror 1", "reg read 0",
                                "flash erase", "update bin/zel.bin --force"}) {
    SCOPED_TRACE(arguments);
    KitFolder kit("", false);
    EXPECT_EQ(kit.Tandrel(arguments), 2);
    KitFolder json("", false);
    EXPECT_EQ(json.Tandrel(std::string(arguments) + " --json"), 2);
    EXPECT_EQ(
        Contains(json.Out(), std::string(arguments) == "list" ? "\"cameras\":[]" : "\"exit\":2"),
        "");
  }
}

// The tool's update sends the camera exactly the requests of the updater's ZEL engine and
// leaves the same flash, with the camera bound by default and by its handle.
TEST(TandrelCliTest, UpdateSendsTheUpdatersRequests) {
  KitFolder updater;
  const std::string before =
      testing::WithManufacturer(updater.ReadFile(u"camera1.flash"), "NORV Inc");
  updater.WriteFile(u"camera1.flash", before);
  ASSERT_EQ(updater.RunOstrel(true), 0);
  const std::string expected = updater.Trace();
  ASSERT_NE(expected.find("SET 0 3"), std::string::npos);
  for (const std::string& device : {std::string(), " --device '" + kDevice + "'"}) {
    SCOPED_TRACE(device);
    KitFolder tool;
    tool.WriteFile(u"camera1.flash", before);
    EXPECT_EQ(tool.Tandrel("update bin/zel.bin --force" + device), 0) << tool.Err();
    EXPECT_TRUE(tool.Trace() == expected);
    EXPECT_TRUE(tool.ReadFile(u"camera1.flash") == updater.ReadFile(u"camera1.flash"));
    EXPECT_EQ(Contains(tool.Out(), "manufacturer: NORV Inc"), "");
  }
}

// Ctrl-C after some thousand requests of a flash write, past the page of the device descriptor:
// it stops between pages and says so, the descriptor page (written last) is still erased, so
// the camera reports no release and the next update writes the whole image again.
TEST(TandrelCliTest, InterruptedFlashWriteIsRecoveredByTheNextUpdate) {
  KitFolder kit;
  ASSERT_EQ(kit.Tandrel("flash erase"), 0);
  // Requests at the simulated camera's pace of 2 ms, so that the signal comes mid-write.
  kit.UseWorld("1", "RequestDelayUs=2000\r\n");
  const int status = kit.Shell(
      "rm -f trace.log; ./tandrel flash write bin/zel.bin >out.txt 2>err.txt & tool=$!; "
      "while [ \"$(cat trace.log 2>/dev/null | wc -l)\" -lt 2000 ]; do sleep 0.01; done; "
      "kill -INT $tool; wait $tool");
  EXPECT_EQ(status, 130);
  EXPECT_EQ(Contains(kit.Err(), "interrupted: 0x00000-0x"), "");
  EXPECT_EQ(
      Contains(kit.Err(), " holds the file except the device-descriptor page 0x04000-0x04100, 0x"),
      "");
  EXPECT_EQ(Contains(kit.Err(), "the firmware is incomplete until `tandrel update IMAGE`"), "");
  const std::string flash = kit.ReadFile(u"camera1.flash");
  const std::string image = kit.ReadFile(u"bin/zel.bin");
  EXPECT_TRUE(flash.compare(0, 0x4000, image, 0, 0x4000) == 0)
      << "the pages below the descriptor were written";
  EXPECT_EQ(flash.substr(0x4000, 256), std::string(256, '\xff')) << "the descriptor page was not";
  EXPECT_TRUE(flash.compare(0x4100, 256, image, 0x4100, 256) == 0) << "the page above it was";
  EXPECT_EQ(flash.back(), '\xff') << "the end was not";

  // The name went with the erase: the update asks for the one to carry, then writes it.
  kit.UseWorld("0.01", "");
  ASSERT_EQ(kit.Tandrel("update bin/zel.bin -q"), 1);
  EXPECT_EQ(Contains(kit.Err(), "give the name to carry with --manufacturer TEXT"), "");
  ASSERT_EQ(kit.Tandrel("update bin/zel.bin -q --manufacturer 'NORV Optics'"), 0) << kit.Err();
  EXPECT_EQ(Contains(kit.Out(), "camera_release: null"), "") << "the erased descriptor";
  EXPECT_TRUE(kit.ReadFile(u"camera1.flash") == testing::WithManufacturer(image, "NORV Optics"));
  ASSERT_EQ(kit.Tandrel("list"), 0);
  EXPECT_EQ(Contains(kit.Out(), "release: 0x0107"), "");
}

// Notifications arrive until Ctrl-C, which ends the command with their count. (The tool is
// started after "true;" so that the signal reaches it rather than a subshell.)
TEST(TandrelCliTest, EventsPrintsNotificationsUntilInterrupted) {
  // Raises that come before the library waits again count once, as the platforms' events do:
  // 0.5 s apart (at the kit's time scale) they stay two on a loaded machine.
  KitFolder kit("AutoUpdateEvents=2\r\nAutoUpdateEventPeriod=50000\r\n");
  const int status = kit.Shell(
      "true; ./tandrel events >out.txt 2>err.txt & tool=$!; "
      "while [ \"$(grep -c notification out.txt 2>/dev/null)\" != 2 ] && kill -0 $tool; do "
      "sleep 0.01; done; kill -INT $tool; wait $tool");
  EXPECT_EQ(status, 0);
  EXPECT_EQ(kit.Out(),
            "auto-update notification 1\nauto-update notification 2\nnotifications: 2\n");
}

}  // namespace
}  // namespace ostrel
