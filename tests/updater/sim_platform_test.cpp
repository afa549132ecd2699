#include <gtest/gtest.h>

#include <sstream>

#include "fake_platform.h"
#include "platform/sim/sim_platform.h"
#include "platform/sim/trace_dialog.h"
#include "platform/sim/zel_release.h"

namespace ostrel {
namespace {

using sim_platform::ReleaseFromFlash;
using sim_platform::WithRelease;
using Lines = std::vector<std::string>;

std::string FlashWithDescriptor(uint8_t length, uint8_t type, size_t size = 0x20000) {
  std::string flash(size, '\xFF');
  if (size > 0x4021) {
    flash[0x4020] = static_cast<char>(length);
    flash[0x4021] = static_cast<char>(type);
  }
  if (size > 0x402D) {
    flash[0x402C] = 0x07;
    flash[0x402D] = 0x01;
  }
  return flash;
}

TEST(ZelRelease, ValidDescriptorGivesItsBcdDevice) {
  const struct {
    std::string flash;
    std::optional<uint16_t> release;
  } cases[] = {
      {FlashWithDescriptor(18, 1), 0x0107},
      {FlashWithDescriptor(18, 2), std::nullopt},
      {FlashWithDescriptor(17, 1), std::nullopt},
      {std::string(0x20000, '\xFF'), std::nullopt},
      {FlashWithDescriptor(18, 1, 0x402E), 0x0107},
      // Past the end of a short flash file the flash is erased, as the camera model reads it.
      {FlashWithDescriptor(18, 1, 0x402D), 0xFFFF},
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ReleaseFromFlash(c.flash), c.release) << c.flash.size();
}

TEST(ZelRelease, ReplacesTheRevField) {
  EXPECT_EQ(WithRelease(u"USB\\VID_0408&PID_2040&REV_0105&MI_00", 0x01AB),
            u"USB\\VID_0408&PID_2040&REV_01AB&MI_00");
  EXPECT_EQ(WithRelease(u"USB\\VID_0408&PID_2040&REV_01", 0x01AB), u"USB\\VID_0408&PID_2040&REV_01");
  EXPECT_EQ(WithRelease(u"USB\\VID_0408&PID_2040", 0x01AB), u"USB\\VID_0408&PID_2040");
}

// A handler that arms a timer at start, runs "an update" from it, and lets Close through
// once the update has run for the given time.
// The setup entries of the world as Windows lists them: the imaging class, then the camera
// class, each in world order with the present devices that are no camera first; an entry
// without hardware ids is left out, as the Windows platform leaves it out.
TEST(SimPlatform, SetupEntriesByClassImagingFirst) {
  testing::ScratchDir dir;
  dir.WriteFile(u"simcam.ini",
                "[World]\nSetupClass=Camera\n"
                "[Device1]\nInstanceId=USB\\VID_03F0&PID_4105\\5&1A2B3C4D&0&2\n"
                "HardwareId=USB\\VID_03F0&PID_4105&REV_0100\nSetupClass=image\n"
                "[Camera1]\nModel=plain\nInstanceId=A\nHardwareId=HA\n"
                "[Camera2]\nModel=plain\nInstanceId=B\nHardwareId=HB\nSetupClass=Image\n"
                "[Camera3]\nModel=plain\nInstanceId=C\nHardwareId=HC\nNoHardwareIds=1\n"
                "[Camera4]\nModel=plain\nHardwareId=HD\n");
  const sim::WorldFile world(dir.File(u"simcam.ini"));
  SimPlatform platform(std::make_unique<testing::FakePlatform>(dir), world);
  const std::optional<std::vector<SetupDevice>> devices = platform.SetupDevices();
  ASSERT_TRUE(devices.has_value());
  std::vector<std::u16string> listed;
  for (const SetupDevice& device : *devices) listed.push_back(device.instanceId + u" " + device.firstHardwareId);
  EXPECT_EQ(listed, (std::vector<std::u16string>{
                        u"USB\\VID_03F0&PID_4105\\5&1A2B3C4D&0&2 USB\\VID_03F0&PID_4105&REV_0100",
                        u"B HB", u"A HA"}));
}

class ScriptedHandler : public DialogHandler {
 public:
  ScriptedHandler(Platform& platform, uint64_t updateMs) : platform_(platform), updateMs_(updateMs) {}
  void OnInitDialog(DialogView& view) override {
    view_ = &view;
    view.SetControlText(1005, u"ready");
    view.StartTimer(2457, 500);
  }
  void OnTimer(int id) override {
    view_->KillTimer(id);
    view_->EnableControl(2, false);
    startedMs_ = platform_.MonotonicMs();
  }
  bool OnCloseRequest() override {
    return startedMs_ == kNever || platform_.MonotonicMs() >= startedMs_ + updateMs_;
  }
  void OnRepaint() override { view_->ShowStateBitmap(134); }

 private:
  static constexpr uint64_t kNever = ~uint64_t{0};
  Platform& platform_;
  const uint64_t updateMs_;
  DialogView* view_ = nullptr;
  uint64_t startedMs_ = kNever;
};

TEST(TraceDialog, RecordsOperationsAndPressesCloseEveryPeriodUntilAccepted) {
  testing::ScratchDir dir;
  testing::FakePlatform platform(dir);
  ScriptedHandler handler(platform, 1200);
  {
    sim_platform::TraceDialog dialog(dir.File(u"dialog.log"), 500, platform);
    dialog.Run(handler);
  }
  EXPECT_EQ(dir.ReadFile(u"dialog.log"),
            "TEXT 1005 ready\nTIMER 2457 500\nKILLTIMER 2457\nENABLE 2 0\n"
            "CLOSE refused\nCLOSE refused\nCLOSE refused\nCLOSE accepted\n");
  EXPECT_EQ(platform.nowMs, 2000u);
}

TEST(TraceDialog, UnwritableTraceIsReportedAndTheDialogStillRuns) {
  testing::ScratchDir dir;
  testing::FakePlatform platform(dir);
  ScriptedHandler handler(platform, 0);
  sim_platform::TraceDialog dialog(dir.File(u"missing/dialog.log"), 500, platform);
  dialog.Run(handler);
  EXPECT_EQ(platform.DebugLines().size(), 1u);
  EXPECT_EQ(platform.nowMs, 500u);
}

}  // namespace
}  // namespace ostrel
