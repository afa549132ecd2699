// The fake uvc node's answers to UVCIOC_CTRL_QUERY, one row per rule of uvcvideo it keeps:
// which unit and selector exist (from the descriptors), which sizes and queries it takes, and
// which errno each model status becomes.
#include "linux/uvc_node.h"

#include <gtest/gtest.h>
#include <linux/usb/video.h>

#include <cerrno>
#include <memory>
#include <string>

#include "camera/trace_log.h"
#include "scratch_dir.h"

namespace sim::linux_node {
namespace {

constexpr uint8_t kUnit0[16] = {0x28, 0x17, 0x9E, 0x5D, 0x8D, 0xAB, 0xA9, 0x4F,
                                0x9A, 0xCB, 0xF6, 0xD5, 0x6D, 0xBC, 0x05, 0xA6};
constexpr uint8_t kUnit1[16] = {0xC3, 0x85, 0xB8, 0x0F, 0xC2, 0x68, 0x47, 0x45,
                                0x90, 0xF7, 0x8F, 0x47, 0x57, 0x9D, 0x95, 0xFC};
constexpr uint8_t kOtherUnit[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};

// An interface descriptor of this class and subclass.
std::string Interface(uint8_t interfaceClass, uint8_t subclass) {
  return std::string{9, 4, 0, 0, 0, static_cast<char>(interfaceClass), static_cast<char>(subclass), 0, 0};
}

// An extension unit descriptor with one input pin and a one-byte bmControls.
std::string ExtensionUnit(uint8_t unitId, const uint8_t (&guid)[16], uint8_t bmControls) {
  std::string descriptor{26, 0x24, 0x06, static_cast<char>(unitId)};
  descriptor.append(reinterpret_cast<const char*>(guid), 16);
  descriptor += std::string{8, 1, 2, 1, static_cast<char>(bmControls), 0};
  return descriptor;
}

// The VideoControl interface holds units 3 (selectors 1-8), 4 (1-5, one more than the
// firmware has) and 6 (another vendor's);
// unit 7 belongs to an audio-control interface, where subtype 6 is no extension unit.
std::string Descriptors() {
  return Interface(0x0E, 0x01) + ExtensionUnit(3, kUnit0, 0xFF) + ExtensionUnit(4, kUnit1, 0x1F) +
         ExtensionUnit(6, kOtherUnit, 0x01) + Interface(0x01, 0x01) + ExtensionUnit(7, kUnit0, 0xFF);
}

struct Row {
  const char* what;
  uint8_t unit;
  uint8_t selector;
  uint8_t query;
  uint16_t size;
  int error;
};

class UvcNodeTest : public ::testing::Test {
 protected:
  std::unique_ptr<UvcNode> Node(const std::string& keys, bool withModel = true) {
    dir_.WriteFile(u"simcam.ini", "[Camera1]\nModel=zel\nDevicePath=/dev/video0\n" + keys + "\n");
    world_ = std::make_unique<WorldFile>(dir_.File(u"simcam.ini"));
    trace_ = std::make_unique<TraceLog>(u"");
    camera_ = std::make_unique<ZelCamera>(*world_, world_->Cameras()[0], *trace_);
    return std::make_unique<UvcNode>(withModel ? camera_.get() : nullptr,
                                     VideoControlExtensionUnits(Descriptors()),
                                     NodeFaults::FromWorld(*world_, u"Camera1"));
  }
  static int Query(UvcNode& node, uint8_t unit, uint8_t selector, uint8_t query, uint16_t size,
                   uint8_t* data) {
    uvc_xu_control_query request{};
    request.unit = unit;
    request.selector = selector;
    request.query = query;
    request.size = size;
    request.data = data;
    return node.Query(request);
  }

  ostrel::testing::ScratchDir dir_;
  std::unique_ptr<WorldFile> world_;
  std::unique_ptr<TraceLog> trace_;
  std::unique_ptr<ZelCamera> camera_;
};

TEST_F(UvcNodeTest, ChecksAsTheDriverDoesThenAsksTheModel) {
  const Row rows[] = {
      {"size of a control", 3, 3, UVC_GET_LEN, 2, 0},
      {"read of the system information", 3, 8, UVC_GET_CUR, 64, 0},
      {"write on unit 1", 4, 2, UVC_SET_CUR, 64, 0},
      {"unit not in the descriptors", 5, 1, UVC_GET_LEN, 2, ENOENT},
      {"unit of the audio-control interface", 7, 1, UVC_GET_LEN, 2, ENOENT},
      {"selector 0", 3, 0, UVC_GET_LEN, 2, ENOENT},
      {"selector the unit does not declare", 4, 6, UVC_GET_CUR, 64, ENOENT},
      {"size query of another size", 3, 3, UVC_GET_LEN, 64, ENOBUFS},
      {"short read", 3, 3, UVC_GET_CUR, 63, ENOBUFS},
      {"long write", 3, 3, UVC_SET_CUR, 65, ENOBUFS},
      {"query the control does not declare", 3, 3, UVC_GET_MIN, 64, EBADRQC},
      {"no such query", 3, 3, 0x99, 64, EINVAL},
      {"unit the model does not have", 6, 1, UVC_GET_LEN, 2, EINVAL},
      {"selector the firmware does not have", 4, 5, UVC_GET_LEN, 2, EINVAL},
  };
  std::unique_ptr<UvcNode> node = Node("");
  for (const Row& row : rows) {
    uint8_t data[80] = {};
    EXPECT_EQ(Query(*node, row.unit, row.selector, row.query, row.size, data), row.error) << row.what;
  }
  uint8_t length[2] = {};
  ASSERT_EQ(Query(*node, 3, 1, UVC_GET_LEN, 2, length), 0);
  EXPECT_EQ(length[0], 64);
  EXPECT_EQ(length[1], 0);
}

TEST_F(UvcNodeTest, ModelStatusesBecomeTheDriversErrnos) {
  uint8_t data[64] = {};
  EXPECT_EQ(Query(*Node("Fail0.5=0x8007001F"), 3, 5, UVC_GET_CUR, 64, data), EPIPE);
  EXPECT_EQ(Query(*Node("Fail0.5=0x80070057"), 3, 5, UVC_GET_CUR, 64, data), EINVAL);
  EXPECT_EQ(Query(*Node("BusyProbes=1"), 3, 5, UVC_GET_LEN, 2, data), EBUSY);
  std::unique_ptr<UvcNode> unplugged = Node("UnplugAfter=1");
  EXPECT_EQ(Query(*unplugged, 3, 5, UVC_GET_LEN, 2, data), 0);
  EXPECT_EQ(Query(*unplugged, 3, 5, UVC_GET_CUR, 64, data), ENODEV);
  EXPECT_EQ(Query(*Node("", false), 3, 5, UVC_GET_LEN, 2, data), EINVAL);
}

TEST_F(UvcNodeTest, BusyWindowAnswersSizeQueriesOnly) {
  std::unique_ptr<UvcNode> node = Node("BusyLenFrom=2\nBusyLenCount=2");
  uint8_t data[64] = {};
  EXPECT_EQ(Query(*node, 3, 5, UVC_GET_LEN, 2, data), 0);
  EXPECT_EQ(Query(*node, 3, 5, UVC_GET_CUR, 64, data), 0);
  EXPECT_EQ(Query(*node, 3, 5, UVC_GET_LEN, 2, data), EBUSY);
  EXPECT_EQ(Query(*node, 3, 5, UVC_GET_LEN, 2, data), EBUSY);
  EXPECT_EQ(Query(*node, 3, 5, UVC_GET_LEN, 2, data), 0);
  EXPECT_FALSE(node->OpenDenied());
  EXPECT_TRUE(Node("OpenDenied=1")->OpenDenied());
}

}  // namespace
}  // namespace sim::linux_node
