// The ZEL camera model driven as the platform drives it: property requests on its nodes.
#include "camera/zel_camera.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "camera/status_words.h"
#include "camera/topology.h"
#include "camera/trace_log.h"
#include "scratch_dir.h"

namespace sim {
namespace {

const auto& kUnit0 = kZelUnitSets[0];
const auto& kUnit1 = kZelUnitSets[1];
// Unit 0's node in a UVC camera's usual topology; unit 1 is on the next.
constexpr uint32_t kUnit0Node = 3;

class ZelCameraTest : public ::testing::Test {
 protected:
  void Load(const std::string& keys, const std::string& flash = "") {
    if (!flash.empty()) dir_.WriteFile(u"camera.flash", flash);
    dir_.WriteFile(u"simcam.ini",
                   "[Camera1]\nModel=zel\nDevicePath=usb#vid_0408&pid_2040\nFlash=camera.flash\n" +
                       keys + "\n");
    world_ = std::make_unique<WorldFile>(dir_.File(u"simcam.ini"));
    trace_ = std::make_unique<TraceLog>(dir_.File(u"trace.log"));
    camera_ = std::make_unique<ZelCamera>(*world_, world_->Cameras()[0], *trace_);
  }

  uint32_t Set(int unit, uint32_t selector, ControlBytes request) {
    uint32_t returned = 0;
    return camera_->Request(unit == 0 ? kUnit0 : kUnit1, selector, ZelCamera::kSetOnNode,
                            kUnit0Node + unit, request.data(), 64, returned);
  }
  uint32_t Get(int unit, uint32_t selector, ControlBytes& reply) {
    uint32_t returned = 0;
    return camera_->Request(unit == 0 ? kUnit0 : kUnit1, selector, ZelCamera::kGetOnNode,
                            kUnit0Node + unit, reply.data(), 64, returned);
  }
  uint32_t Probe(int unit, uint32_t selector, uint32_t& length) {
    return camera_->Request(unit == 0 ? kUnit0 : kUnit1, selector, ZelCamera::kGetOnNode,
                            kUnit0Node + unit, nullptr, 0, length);
  }
  static ControlBytes Bytes(std::initializer_list<uint8_t> leading) {
    ControlBytes bytes{};
    std::copy(leading.begin(), leading.end(), bytes.begin());
    return bytes;
  }
  std::vector<std::string> Trace() const {
    std::vector<std::string> lines;
    std::istringstream content(dir_.ReadFile(u"trace.log"));
    for (std::string line; std::getline(content, line);) lines.push_back(line);
    return lines;
  }

  ostrel::testing::ScratchDir dir_;
  std::unique_ptr<WorldFile> world_;
  std::unique_ptr<TraceLog> trace_;
  std::unique_ptr<ZelCamera> camera_;
};

TEST_F(ZelCameraTest, RequestsAreCheckedBeforeTheyReachAControl) {
  Load("");
  ControlBytes bytes{};
  uint32_t returned = 0;
  const uint8_t otherSet[16] = {1};
  EXPECT_EQ(camera_->Request(otherSet, 2, ZelCamera::kGetOnNode, 3, bytes.data(), 64, returned),
            kStatusSetNotFound);
  EXPECT_EQ(camera_->Request(kUnit0, 2, ZelCamera::kGetOnNode, 4, bytes.data(), 64, returned),
            kStatusSetNotFound);  // unit 1's node does not own unit 0's set
  EXPECT_EQ(camera_->Request(kUnit0, 2, 0x1, 3, bytes.data(), 64, returned),
            kStatusInvalidParameter);
  EXPECT_EQ(Get(0, 9, bytes), kStatusNotFound);
  EXPECT_EQ(Get(1, 5, bytes), kStatusNotFound);
  uint32_t length = 0;
  EXPECT_EQ(Probe(0, 2, length), kStatusMoreData);
  EXPECT_EQ(length, 64u);
}

// A buffer shorter than the control is refused, a longer one takes the whole control; each
// control is as long as the world says.
TEST_F(ZelCameraTest, ShortBuffersAreRefusedAndControlsAreAsLongAsTheWorldSays) {
  Load("SystemInfo=0102030405060708090a\nControlLength0.8=16\nControlLength0.5=8");
  const struct {
    uint32_t selector;
    uint32_t flags;
    uint32_t length;
    uint32_t status;
    uint32_t returned;
  } cases[] = {
      {8, ZelCamera::kGetOnNode, 0, kStatusMoreData, 16},  // the size probe
      {8, ZelCamera::kGetOnNode, 8, kStatusInsufficientBuffer, 0},
      {8, ZelCamera::kGetOnNode, 16, kStatusOk, 16},
      {8, ZelCamera::kGetOnNode, 64, kStatusOk, 16},
      {2, ZelCamera::kGetOnNode, 63, kStatusInsufficientBuffer, 0},
      {2, ZelCamera::kSetOnNode, 63, kStatusInsufficientBuffer, 0},
      {5, ZelCamera::kSetOnNode, 8, kStatusOk, 0},
      {5, ZelCamera::kSetOnNode, 9, kStatusInvalidParameter, 0},
  };
  for (const auto& c : cases) {
    ControlBytes bytes{};
    uint32_t returned = 0;
    EXPECT_EQ(camera_->Request(kUnit0, c.selector, c.flags, kUnit0Node,
                               c.length == 0 ? nullptr : bytes.data(), c.length, returned),
              c.status)
        << c.selector << " " << c.length;
    EXPECT_EQ(returned, c.returned) << c.selector << " " << c.length;
  }
  EXPECT_EQ(Trace()[1], "GET 0 8 8 - 8007007a");
  EXPECT_EQ(Trace()[3], "GET 0 8 64 0102030405060708090a000000000000 00000000");
}

// The units sit where the world's topology puts them; a request on a node that does not own
// its set is answered as the driver answers it.
TEST_F(ZelCameraTest, UnitsSitWhereTheTopologyPutsThem) {
  Load("Topology=terminal other unit1 processing unit0 streaming");
  EXPECT_EQ(camera_->NodeOf(kUnit0), std::optional<uint32_t>(4));
  EXPECT_EQ(camera_->NodeOf(kUnit1), std::optional<uint32_t>(2));
  EXPECT_TRUE(camera_->Topology().OwnsSet(1, kOtherUnitSet));
  EXPECT_FALSE(camera_->Topology().OwnsSet(4, kUnit1));
  ControlBytes bytes{};
  uint32_t returned = 0;
  EXPECT_EQ(camera_->Request(kUnit0, 2, ZelCamera::kGetOnNode, 4, bytes.data(), 64, returned), kStatusOk);
  EXPECT_EQ(camera_->Request(kUnit1, 2, ZelCamera::kGetOnNode, 2, bytes.data(), 64, returned), kStatusOk);
  EXPECT_EQ(camera_->Request(kUnit0, 2, ZelCamera::kGetOnNode, 3, bytes.data(), 64, returned),
            kStatusSetNotFound);
  Load("NoExtensionUnit=1");
  EXPECT_EQ(camera_->NodeOf(kUnit0), std::nullopt);
  EXPECT_EQ(camera_->Request(kUnit0, 2, ZelCamera::kGetOnNode, 3, bytes.data(), 64, returned),
            kStatusSetNotFound);
}

TEST_F(ZelCameraTest, TraceLinesFollowTheContract) {
  Load("");
  uint32_t length = 0;
  Probe(0, 5, length);
  Set(0, 5, Bytes({1, 0, 2}));
  EXPECT_EQ(Trace(), (std::vector<std::string>{
                         "LEN 0 5 64 - 800700ea",
                         "SET 0 5 64 010002" + std::string(122, '0') + " 00000000"}));
}

TEST_F(ZelCameraTest, FlashProgramsOnlyClearBitsAndStaysInItsPage) {
  Load("");
  ASSERT_EQ(Set(0, 3, Bytes({0x00, 0xFE, 0x00, 0x00, 0x00})), kStatusOk);  // address 0xFE
  ASSERT_EQ(Set(0, 3, Bytes({0x24, 0x11, 0x22, 0x33, 0x44})), kStatusOk);  // four bytes
  ASSERT_EQ(Set(0, 3, Bytes({0x00, 0xFE, 0x00, 0x00, 0x00})), kStatusOk);
  ASSERT_EQ(Set(0, 3, Bytes({0x21, 0xF0})), kStatusOk);                    // 0x11 & 0xF0
  ASSERT_EQ(Set(0, 3, Bytes({0x5A, 0xFE, 0x00, 0x00, 0x00})), kStatusOk);
  ControlBytes reply{};
  ASSERT_EQ(Get(0, 3, reply), kStatusOk);
  EXPECT_EQ(reply[1], 0x10);
  EXPECT_EQ(reply[2], 0x22);
  EXPECT_EQ(reply[3], 0xFF);  // 0x100 was not written: the page wrapped to 0x00
  ASSERT_EQ(Set(0, 3, Bytes({0x5A, 0x00, 0x00, 0x00, 0x00})), kStatusOk);
  ASSERT_EQ(Get(0, 3, reply), kStatusOk);
  EXPECT_EQ(reply[1], 0x33);
  EXPECT_EQ(reply[2], 0x44);
}

TEST_F(ZelCameraTest, ReadsStreamOnAndPastTheEndReadErased) {
  Load("StuckByte=0x1FFFF:0x00");
  ASSERT_EQ(Set(0, 3, Bytes({0x5A, 0xF0, 0xFF, 0x01, 0x00})), kStatusOk);
  ControlBytes reply{};
  ASSERT_EQ(Get(0, 3, reply), kStatusOk);
  EXPECT_EQ(reply[15], 0xFF);
  EXPECT_EQ(reply[16], 0x00);  // the stuck byte at 0x1FFFF
  EXPECT_EQ(reply[17], 0xFF);
  EXPECT_EQ(Set(0, 3, Bytes({0x5A, 0x00, 0x00, 0x02, 0x00})), kStatusInvalidParameter);
}

TEST_F(ZelCameraTest, PolledEraseReportsBusyForTheConfiguredQueries) {
  Load("EraseBusyPolls=2", std::string(16, '\0'));
  ASSERT_EQ(Set(0, 3, Bytes({0xE0, 0x01})), kStatusOk);
  std::vector<int> busy;
  for (int i = 0; i < 3; ++i) {
    ControlBytes reply{};
    ASSERT_EQ(Set(0, 3, Bytes({0xE0, 0x00})), kStatusOk);
    ASSERT_EQ(Get(0, 3, reply), kStatusOk);
    busy.push_back(reply[1]);
  }
  EXPECT_EQ(busy, (std::vector<int>{1, 1, 0}));
  EXPECT_EQ(dir_.ReadFile(u"camera.flash"), std::string(0x20000, '\xFF'));
}

TEST_F(ZelCameraTest, SectorEraseClearsOneSector) {
  Load("", std::string(0x3000, '\0'));
  ASSERT_EQ(Set(0, 3, Bytes({0x80, 0x34, 0x12, 0x00, 0x00})), kStatusOk);
  const std::string flash = dir_.ReadFile(u"camera.flash");
  EXPECT_EQ(flash[0x0FFF], '\0');
  EXPECT_EQ(flash[0x1000], '\xFF');
  EXPECT_EQ(flash[0x1FFF], '\xFF');
  EXPECT_EQ(flash[0x2000], '\0');
}

TEST_F(ZelCameraTest, ResetSequenceRestartsTheChipAndRereadsTheRelease) {
  std::string flash(0x5000, '\xFF');
  flash[0x4020] = 18;
  flash[0x4021] = 1;
  flash[0x402C] = 0x05;
  flash[0x402D] = 0x01;
  Load("", flash);
  EXPECT_EQ(camera_->Release(), std::optional<uint16_t>(0x0105));
  // Change the stored descriptor, then reset: variant A writes 0, 8, 4 to 0x02100014.
  ASSERT_EQ(Set(0, 3, Bytes({0x00, 0x2C, 0x40, 0x00, 0x00})), kStatusOk);
  ASSERT_EQ(Set(0, 3, Bytes({0x21, 0x04})), kStatusOk);
  ASSERT_EQ(Set(0, 2, Bytes({0x01, 0x08, 0x00, 0x00, 0x02, 0x99})), kStatusOk);
  EXPECT_EQ(camera_->Release(), std::optional<uint16_t>(0x0105));
  for (uint8_t value : {0, 8, 4}) {
    ASSERT_EQ(Set(0, 2, Bytes({0x01, 0x14, 0x00, 0x10, 0x02, value})), kStatusOk);
  }
  EXPECT_EQ(camera_->Release(), std::optional<uint16_t>(0x0104));
  EXPECT_EQ(camera_->Enumerations(), 2u);
  EXPECT_EQ(dir_.ReadFile(u"camera.flash")[0x402C], 0x04);
  ControlBytes reply{};
  ASSERT_EQ(Set(0, 2, Bytes({0x00, 0x08, 0x00, 0x00, 0x02})), kStatusOk);
  ASSERT_EQ(Get(0, 2, reply), kStatusOk);
  EXPECT_EQ(reply[5], 0x00);  // the register is back at its power-on value
}

TEST_F(ZelCameraTest, OtherVariantResetsThroughItsControlWord) {
  Load("ChipId=0x0B000000");
  ControlBytes reply{};
  ASSERT_EQ(Set(0, 2, Bytes({0x01, 0x00, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00, 0x00})), kStatusOk);
  ASSERT_EQ(Set(0, 2, Bytes({0x01, 0x08, 0x10, 0x00, 0x20, 0x00, 0x03, 0x80, 0x00})), kStatusOk);
  ASSERT_EQ(Set(0, 2, Bytes({0x01, 0x08, 0x10, 0x00, 0x20, 0x00, 0x03, 0x40, 0x00})), kStatusOk);
  ASSERT_EQ(Set(0, 2, Bytes({0x00, 0x08, 0x10, 0x00, 0x20})), kStatusOk);
  ASSERT_EQ(Get(0, 2, reply), kStatusOk);
  EXPECT_EQ(reply[6], 0x03);
  EXPECT_EQ(reply[7], 0x00);  // power-on value 0x300 after the restart
}

TEST_F(ZelCameraTest, GroupsReadBackWhatWasWritten) {
  Load("");
  ControlBytes reply{};
  ASSERT_EQ(Set(0, 6, Bytes({5, 0, 1, 2, 1, 0, 0})), kStatusOk);
  ASSERT_EQ(Set(0, 6, Bytes({5, 1})), kStatusOk);
  ASSERT_EQ(Get(0, 6, reply), kStatusOk);
  EXPECT_EQ(reply, Bytes({5, 1, 1, 2, 1}));
  EXPECT_EQ(Set(0, 6, Bytes({10, 0})), kStatusInvalidParameter);
  EXPECT_EQ(Set(0, 7, Bytes({3, 0})), kStatusInvalidParameter);
  EXPECT_EQ(Set(0, 7, Bytes({2, 2})), kStatusInvalidParameter);
  EXPECT_EQ(Set(0, 5, Bytes({8, 1})), kStatusInvalidParameter);
}

TEST_F(ZelCameraTest, CapabilityQueriesCarryTheirMarkers) {
  Load("");
  ControlBytes reply{};
  ASSERT_EQ(Set(0, 5, Bytes({0, 0})), kStatusOk);
  ASSERT_EQ(Get(0, 5, reply), kStatusOk);
  EXPECT_EQ(reply[2], 1);
  EXPECT_EQ(reply[3], 2);
  ASSERT_EQ(Set(0, 5, Bytes({0, 2})), kStatusOk);
  ASSERT_EQ(Get(0, 5, reply), kStatusOk);
  EXPECT_EQ(reply[2], 2);
  EXPECT_EQ(reply[3] | reply[4] << 8, 1280);
  ASSERT_EQ(Set(0, 5, Bytes({0, 3})), kStatusOk);
  ASSERT_EQ(Get(0, 5, reply), kStatusOk);
  EXPECT_EQ(reply[2], 0);
}

TEST_F(ZelCameraTest, FormatGroupsNeedEncoderRecordVersionThree) {
  Load("EncoderRecord=02");
  EXPECT_EQ(Set(0, 5, Bytes({2, 0, 1})), kStatusInvalidParameter);
  EXPECT_EQ(Set(0, 5, Bytes({4, 0, 1})), kStatusOk);
}

TEST_F(ZelCameraTest, EncoderRecordTakesTheFieldsItsMaskNames) {
  Load("EncoderRecord=05");
  ControlBytes write{};
  write[0] = 0x20 | 0x40;
  write[12] = 60;
  write[17] = 1;
  write[19] = 9;
  ASSERT_EQ(Set(0, 1, write), kStatusOk);
  ControlBytes record{};
  ASSERT_EQ(Get(0, 1, record), kStatusOk);
  EXPECT_EQ(record[0], 5);
  EXPECT_EQ(record[12], 60);
  EXPECT_EQ(record[17], 1);
  EXPECT_EQ(record[19], 0);  // version 5 keeps entropy, not quality
  write = Bytes({0x80});
  write[14] = 8;
  EXPECT_EQ(Set(0, 1, write), kStatusInvalidParameter);
}

TEST_F(ZelCameraTest, FlaggedRecordTakesStreamWritesButAnswersRefused) {
  Load("EncoderRecord=03000000000000000000000000000000" "01");
  ControlBytes write = Bytes({0x01, 0x40, 0x42, 0x0F, 0x00});
  EXPECT_EQ(Set(0, 1, write), kStatusInvalidParameter);
  ControlBytes record{};
  ASSERT_EQ(Get(0, 1, record), kStatusOk);
  EXPECT_EQ(record[1], 0x40);
}

TEST_F(ZelCameraTest, TuningAndUnitOneValues) {
  Load("DeviceInfo=0102");
  ControlBytes reply{};
  ASSERT_EQ(Set(0, 4, Bytes({0xE0, 0x03})), kStatusOk);
  ASSERT_EQ(Set(0, 4, Bytes({0xE1})), kStatusOk);
  ASSERT_EQ(Get(0, 4, reply), kStatusOk);
  EXPECT_EQ(reply[1], 3);
  ASSERT_EQ(Set(0, 4, Bytes({0xC2, 0, 0, 0, 0, 0, 0, 0, 0, 7})), kStatusOk);
  ASSERT_NE(camera_->TuningSetting(0xC2), nullptr);
  EXPECT_EQ((*camera_->TuningSetting(0xC2))[9], 7);
  EXPECT_EQ(Set(0, 4, Bytes({0x10})), kStatusInvalidParameter);
  ASSERT_EQ(Set(1, 4, Bytes({0x34, 0x12})), kStatusOk);
  ASSERT_EQ(Get(1, 4, reply), kStatusOk);
  EXPECT_EQ(reply, Bytes({0x34, 0x12}));
  EXPECT_EQ(Set(1, 1, Bytes({})), kStatusInvalidParameter);
  ASSERT_EQ(Get(1, 1, reply), kStatusOk);
  EXPECT_EQ(reply, Bytes({1, 2}));
  EXPECT_EQ(Set(0, 8, Bytes({})), kStatusInvalidParameter);
}

// A switch to USB boot, like a chip reset, takes the camera off the bus and back.
TEST_F(ZelCameraTest, UsbBootKeepsItsModeAndReenumerates) {
  Load("");
  EXPECT_EQ(camera_->Enumerations(), 1u);
  ASSERT_EQ(Set(0, 3, Bytes({0xA0, 0x01, 0x02})), kStatusOk);
  EXPECT_EQ(camera_->BootMode(), 2);
  EXPECT_EQ(camera_->Enumerations(), 2u);
  EXPECT_EQ(Set(0, 3, Bytes({0xA0, 0x02})), kStatusInvalidParameter);
  EXPECT_EQ(camera_->Enumerations(), 2u);
}

TEST_F(ZelCameraTest, FaultKeys) {
  Load("FailSet0.5=0x80070490\nReply0.6=aabb\nUnplugAfter=4");
  uint32_t length = 0;
  EXPECT_EQ(Probe(0, 5, length), kStatusMoreData);  // the probes still answer
  EXPECT_EQ(Set(0, 5, Bytes({1, 0})), kStatusNotFound);
  ControlBytes reply{};
  EXPECT_EQ(Get(0, 6, reply), kStatusOk);
  EXPECT_EQ(reply, Bytes({0xAA, 0xBB}));
  EXPECT_EQ(Get(0, 8, reply), kStatusOk);
  EXPECT_EQ(Get(0, 8, reply), kStatusDisconnected);
  EXPECT_EQ(Probe(0, 8, length), kStatusDisconnected);

  // The camera stays, but from the same point on every transfer fails with the status given.
  Load("UnplugAfter=1\nUnplugStatus=0x8007001F");
  EXPECT_EQ(Get(0, 8, reply), kStatusOk);
  EXPECT_EQ(Get(0, 8, reply), 0x8007001Fu);
  EXPECT_EQ(Probe(0, 3, length), 0x8007001Fu);
}

TEST_F(ZelCameraTest, OneRequestFailsOnceAndIsNotCarriedOut) {
  // Counted as UnplugAfter counts, size probes included; the failed write changes nothing.
  Load("FailRequest=3\nFailRequestStatus=0x80070079");
  uint32_t length = 0;
  ControlBytes reply{};
  EXPECT_EQ(Probe(1, 2, length), kStatusMoreData);
  EXPECT_EQ(Get(1, 2, reply), kStatusOk);
  EXPECT_EQ(reply, ControlBytes{});
  EXPECT_EQ(Set(1, 2, Bytes({7})), 0x80070079u);
  EXPECT_EQ(Get(1, 2, reply), kStatusOk);
  EXPECT_EQ(reply, ControlBytes{});
  EXPECT_EQ(Set(1, 2, Bytes({7})), kStatusOk);
  EXPECT_EQ(Get(1, 2, reply), kStatusOk);
  EXPECT_EQ(reply, Bytes({7}));
  EXPECT_EQ(Trace()[2].substr(0, 4), "SET ");
  EXPECT_EQ(Trace()[2].substr(Trace()[2].size() - 8), "80070079");

  // Without a status, a general failure; where the failure raises, the host's guard reports
  // ERROR_NOACCESS for the call.
  for (const auto& [keys, status] : {std::pair<std::string, uint32_t>{"FailRequest=1", 0x8007001F},
                                     {"FailRequest=1\nFailRequestAccessViolation=1", 0x800703E6}}) {
    Load(keys);
    EXPECT_EQ(Probe(0, 3, length), status) << keys;
    EXPECT_EQ(Probe(0, 3, length), kStatusMoreData) << keys;
  }
}

TEST_F(ZelCameraTest, MalformedValuesAreReportedOnceEachAndTheDefaultApplies) {
  dir_.WriteFile(u"simcam.ini",
                 "[World]\nTimeScale=fast\n"
                 "[Camera1]\nModel=zel\nDevicePath=usb#vid_0408&pid_2040\nUnplugAfter=12x\n"
                 "Fail0.5=oops\nStuckByte=0x10\nEncoderRecord=abc\nChipId=0x0A020801 ; variant A\n"
                 "[Camera2]\nModel=webcam\n");
  ::testing::internal::CaptureStderr();
  for (int load = 0; load < 2; ++load) {
    world_ = std::make_unique<WorldFile>(dir_.File(u"simcam.ini"));
    trace_ = std::make_unique<TraceLog>(dir_.File(u"trace.log"));
    camera_ = std::make_unique<ZelCamera>(*world_, world_->Cameras()[0], *trace_);
  }
  const std::string report = ::testing::internal::GetCapturedStderr();
  const std::string bad[] = {"[World] TimeScale=fast",     "[Camera1] UnplugAfter=12x",
                             "[Camera1] Fail0.5=oops",     "[Camera1] StuckByte=0x10",
                             "[Camera1] EncoderRecord=abc", "[Camera2] Model=webcam"};
  for (const std::string& value : bad) {
    const size_t first = report.find(value + " is not a value this key takes");
    EXPECT_NE(first, std::string::npos) << value;
    EXPECT_EQ(report.find(value, first + 1), std::string::npos) << value << " twice";
  }
  EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), static_cast<std::ptrdiff_t>(std::size(bad)));
  EXPECT_EQ(world_->TimeScale(), 1.0);
  // UnplugAfter fell back to never, Fail0.5 to no fault.
  for (int i = 0; i < 20; ++i) EXPECT_EQ(Set(0, 5, Bytes({1, 0})), kStatusOk);
}

}  // namespace
}  // namespace sim
