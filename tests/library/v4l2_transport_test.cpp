#include "transport/v4l2/v4l2_transport.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <linux/usb/video.h>
#include <linux/uvcvideo.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "scratch_dir.h"
#include "uvc_descriptor_bytes.h"

namespace tandrel {
namespace {

using ostrel::testing::ScratchDir;
namespace stdfs = std::filesystem;

constexpr uint8_t kUnit0Id = 3;
constexpr uint8_t kUnit1Id = 4;
constexpr Guid kUnknownSet = {0x12345678, 0x1234, 0x5678, {1, 2, 3, 4, 5, 6, 7, 8}};

void WriteFile(const stdfs::path& folder, const std::string& name, const std::string& bytes) {
  stdfs::create_directories(folder);
  std::ofstream(folder / name, std::ios::binary) << bytes;
}

// A sysfs tree: video0 and video1 on a camera with both extension units, video10 and video11 on
// a camera with unit 1 only, video2 on a device that is not on USB. Each node's device number
// is 81:N, with N its number.
class SysfsTree {
 public:
  SysfsTree() : root_(stdfs::path(dir_.Path())) {
    const auto usb = root_ / "devices/pci0000:00/usb1";
    Camera(usb / "1-2", "2a1f",
           ExtensionUnit(kUnit1Id, kExtensionUnitSets[1]) +
               ExtensionUnit(kUnit0Id, kExtensionUnitSets[0]));
    Camera(usb / "1-3", "2b00", ExtensionUnit(kUnit1Id, kExtensionUnitSets[1]));
    const auto other = root_ / "devices/platform/vivid.0";
    stdfs::create_directories(other);
    Node(0, "0", usb / "1-2/1-2:1.0");
    Node(1, "1", usb / "1-2/1-2:1.0");
    Node(10, "0", usb / "1-3/1-3:1.0");
    Node(11, "1", usb / "1-3/1-3:1.0");
    Node(2, "0", other);
  }
  std::string Root() const { return root_.string(); }
  // The camera of video0 and video1 comes back on its port as a new device.
  void Reenumerate() {
    WriteFile(root_ / "devices/pci0000:00/usb1/1-2", "devnum", std::to_string(++devnum_) + "\n");
  }

 private:
  void Camera(const stdfs::path& device, const std::string& product, const std::string& units) {
    WriteFile(device, "idVendor", "0408\n");
    WriteFile(device, "idProduct", product + "\n");
    WriteFile(device, "bConfigurationValue", "1\n");
    WriteFile(device, "devnum", "5\n");
    WriteFile(device, "descriptors",
              kDeviceDescriptor + Configuration(1, kAudioControlInterface +
                                                       ExtensionUnit(9, kExtensionUnitSets[0]) +
                                                       kVideoControlInterface + units));
    stdfs::create_directories(device / (device.filename().string() + ":1.0"));
  }
  void Node(int number, const std::string& index, const stdfs::path& device) {
    const std::string node = "video" + std::to_string(number);
    const auto folder = root_ / "class/video4linux" / node;
    WriteFile(folder, "index", index + "\n");
    stdfs::create_directory_symlink(device, folder / "device");
    stdfs::create_directories(root_ / "dev/char");
    stdfs::create_directory_symlink(folder, root_ / "dev/char" / ("81:" + std::to_string(number)));
  }
  ScratchDir dir_;
  stdfs::path root_;
  int devnum_ = 5;
};

struct RecordedQuery {
  uint8_t unit;
  uint8_t selector;
  uint8_t query;
  uint16_t size;
  std::vector<uint8_t> data;  // the bytes handed to the driver
};

// Open, close, ioctl and stat as a script: a failure to give, or the bytes a query answers
// with. /dev/videoN are character devices 81:N; a udev by-id link names video10.
class ScriptedDevice : public DeviceCalls {
 public:
  static constexpr int kFd = 42;
  static constexpr const char* kByIdLink = "/dev/v4l/by-id/usb-NORV_Camera-video-index0";

  int Open(const char* path, int flags) override {
    openedPath = path;
    openFlags = flags;
    return Fail(openError) ? -1 : kFd;
  }
  int Close(int fd) override {
    closed.push_back(fd);
    return 0;
  }
  int Ioctl(int fd, unsigned long request, void* argument) override {
    EXPECT_EQ(fd, kFd);
    EXPECT_EQ(request, static_cast<unsigned long>(UVCIOC_CTRL_QUERY));
    auto* const query = static_cast<uvc_xu_control_query*>(argument);
    queries.push_back({query->unit, query->selector, query->query, query->size,
                       std::vector<uint8_t>(query->data, query->data + query->size)});
    if (Fail(ioctlError)) return -1;
    if (query->query != UVC_GET_LEN && busyAnswers > 0) {
      --busyAnswers;
      return Fail(EBUSY) ? -1 : 0;
    }
    if (query->query == UVC_GET_LEN) {
      std::memcpy(query->data, &controlLength, sizeof controlLength);
    } else if (query->query == UVC_GET_CUR) {
      std::copy_n(reply.begin(), std::min<size_t>(reply.size(), query->size), query->data);
    }
    return 0;
  }
  int Stat(const char* path, struct stat* info) override {
    const std::string name = path == std::string(kByIdLink) ? "/dev/video10" : path;
    *info = {};
    if (name == "/dev/regular-file") {
      info->st_mode = S_IFREG | 0644;
      return 0;
    }
    if (name.rfind("/dev/video", 0) != 0) {
      errno = ENOENT;
      return -1;
    }
    info->st_mode = S_IFCHR | 0660;
    info->st_rdev = makedev(81, std::stoi(name.substr(10)));
    return 0;
  }
  void Sleep(uint32_t milliseconds) override { sleeps.push_back(milliseconds); }

  int openError = 0;
  int ioctlError = 0;
  int busyAnswers = 0;          // reads and writes answered EBUSY before the camera is ready
  uint16_t controlLength = 4;   // what UVC_GET_LEN answers
  std::vector<uint8_t> reply;  // what UVC_GET_CUR answers
  std::string openedPath;
  int openFlags = 0;
  std::vector<RecordedQuery> queries;
  std::vector<int> closed;
  std::vector<uint32_t> sleeps;

 private:
  static bool Fail(int error) {
    if (error == 0) return false;
    errno = error;
    return true;
  }
};

class V4l2TransportTest : public ::testing::Test {
 protected:
  std::unique_ptr<DeviceControl> Open(const char* path) {
    uint32_t status = 1;
    auto control = transport_.OpenControl(CameraRef{const_cast<char*>(path), nullptr}, status);
    EXPECT_EQ(status, 0u);
    return control;
  }

  SysfsTree tree_;
  ScriptedDevice device_;
  V4l2Transport transport_{tree_.Root(), "/dev", device_};
};

NodeProperty Request(const Guid& set, uint32_t selector, uint32_t flags) {
  return {set, selector, flags, 0, 0};
}

std::vector<uint32_t> Nodes(const std::unique_ptr<DeviceControl>& control) {
  std::vector<uint32_t> nodes;
  EXPECT_EQ(control->DeviceSpecificNodes(nodes), 0u);
  return nodes;
}

const std::vector<uint32_t> kBothNodes = {0, 1};

TEST_F(V4l2TransportTest, ListsTheCapturingNodeOfEachDeviceInNumericOrder) {
  const auto inputs = transport_.ListVideoInputs();
  ASSERT_NE(inputs, nullptr);
  std::vector<std::pair<std::string, std::string>> listed;
  for (size_t i = 0; i < inputs->Count(); ++i) {
    uint32_t status = 0;
    const auto camera = inputs->Bind(i, status);
    ASSERT_NE(camera, nullptr);
    listed.emplace_back(inputs->DisplayName(i), static_cast<const char*>(camera->Handle()));
  }
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"/dev/video0#usb#vid_0408&pid_2a1f", "/dev/video0"},
      {"/dev/video2#usb#vid_&pid_", "/dev/video2"},
      {"/dev/video10#usb#vid_0408&pid_2b00", "/dev/video10"},
  };
  EXPECT_EQ(listed, expected);
}

TEST(V4l2Transport, NoVideoClassListsNothingAtAll) {
  ScratchDir empty;
  V4l2Transport transport(stdfs::path(empty.Path()).string());
  EXPECT_EQ(transport.ListVideoInputs(), nullptr);
}

TEST(V4l2Transport, NodeThatIsGoneIsReportedGone) {
  SysfsTree tree;
  ScratchDir dev;
  V4l2Transport transport(tree.Root(), stdfs::path(dev.Path()).string());
  const auto inputs = transport.ListVideoInputs();
  ASSERT_NE(inputs, nullptr);
  ASSERT_GT(inputs->Count(), 0u);
  uint32_t status = 0;
  const auto camera = inputs->Bind(0, status);
  EXPECT_EQ(transport.OpenControl(CameraRef{camera->Handle(), camera}, status), nullptr);
  EXPECT_EQ(status, 0x8007048Fu);
}

TEST_F(V4l2TransportTest, OpenFailuresGiveTheirStatus) {
  const struct {
    const char* path;
    int error;
    uint32_t status;
  } cases[] = {
      {"/dev/video0", ENOENT, 0x8007048F},  // a node that went away is a camera no longer connected
      {"/dev/video0", ENODEV, 0x8007048F},
      {"/dev/video0", EACCES, 0x80070005},
      {"/dev/video0", EBUSY, 0x80070015},
      {"/dev/no-such-node", 0, 0x8007048F},
      {"/dev/regular-file", 0, 0x80070032},  // no device node: never opened
  };
  for (const auto& c : cases) {
    device_.openError = c.error;
    uint32_t status = 0;
    EXPECT_EQ(transport_.OpenControl(CameraRef{const_cast<char*>(c.path), nullptr}, status),
              nullptr);
    EXPECT_EQ(status, c.status) << c.path << " errno " << c.error;
  }
  EXPECT_TRUE(device_.closed.empty());
}

// The node is found by its device number, so any name of it leads to its own camera.
TEST_F(V4l2TransportTest, AnyNameOfTheNodeReachesItsCamera) {
  EXPECT_EQ(Nodes(Open("/dev/video0")), kBothNodes);
  EXPECT_TRUE(Nodes(Open("/dev/video10")).empty());
  EXPECT_TRUE(Nodes(Open(ScriptedDevice::kByIdLink)).empty());
  EXPECT_EQ(device_.openedPath, ScriptedDevice::kByIdLink);
  uint32_t bytesReturned = 0;
  EXPECT_EQ(Open(ScriptedDevice::kByIdLink)
                ->Property(Request(kExtensionUnitSets[1], 2, kPropertyGetOnNode), nullptr, 0,
                           bytesReturned),
            0x800700EAu);
  ASSERT_EQ(device_.queries.size(), 1u);
  EXPECT_EQ(device_.queries[0].unit, kUnit1Id);
}

TEST_F(V4l2TransportTest, OpensTheNodeForReadAndWriteAndClosesItWithTheControl) {
  ASSERT_NE(Open("/dev/video0"), nullptr);
  EXPECT_EQ(device_.openedPath, "/dev/video0");
  EXPECT_EQ(device_.openFlags, O_RDWR | O_CLOEXEC);
  EXPECT_EQ(device_.closed, std::vector<int>{ScriptedDevice::kFd});
}

// The units stand for nodes 0 and 1, each owning its own property set; the support queries
// are answered from the descriptors, without a query of the camera.
TEST_F(V4l2TransportTest, ExtensionNodesOnlyWithUnit0AndEachOwnsItsUnitsSet) {
  EXPECT_TRUE(Nodes(Open("/dev/video10")).empty());
  EXPECT_TRUE(Nodes(Open("/dev/video2")).empty());
  const auto control = Open("/dev/video0");
  EXPECT_EQ(Nodes(control), kBothNodes);
  const struct {
    uint32_t node;
    int set;
    uint32_t status;
  } cases[] = {{0, 0, 0}, {0, 1, 0x80070492}, {1, 1, 0}, {1, 0, 0x80070492}, {2, 0, 0x80070492}};
  for (const auto& c : cases) {
    NodeProperty query = Request(kExtensionUnitSets[c.set], 0, kPropertySupportOnNode);
    query.nodeId = c.node;
    uint32_t returned = 0;
    EXPECT_EQ(control->Property(query, nullptr, 0, returned), c.status) << c.node << " " << c.set;
  }
  EXPECT_TRUE(device_.queries.empty());
}

TEST_F(V4l2TransportTest, SizeProbeAsksTheUnitOfTheSetForTheControlLength) {
  const struct {
    int set;
    uint32_t selector;
    uint8_t unit;
    uint16_t length;
  } cases[] = {
      {0, 0x05, kUnit0Id, 0x20},
      {1, 0x0A, kUnit1Id, 0x1C0},
  };
  const auto control = Open("/dev/video0");
  for (const auto& c : cases) {
    device_.queries.clear();
    device_.controlLength = c.length;
    uint32_t bytesReturned = 0;
    EXPECT_EQ(control->Property(Request(kExtensionUnitSets[c.set], c.selector, kPropertyGetOnNode),
                                nullptr, 0, bytesReturned),
              0x800700EAu);
    EXPECT_EQ(bytesReturned, c.length);
    ASSERT_EQ(device_.queries.size(), 1u);
    const RecordedQuery& query = device_.queries[0];
    EXPECT_EQ(query.unit, c.unit);
    EXPECT_EQ(query.selector, c.selector);
    EXPECT_EQ(query.query, UVC_GET_LEN);
    EXPECT_EQ(query.size, 2u);
  }
}

// uvcvideo takes only the control's whole length: a shorter set goes out whole with the rest
// zero, a shorter get is answered from a whole read, a longer request is refused.
TEST_F(V4l2TransportTest, DataTravelsAsTheWholeControl) {
  const struct {
    const char* name;
    uint32_t flags;
    std::vector<uint8_t> data;  // handed to Property
    bool probedFirst;
    uint32_t status;
    std::vector<uint8_t> sent;  // the bytes of the SET_CUR or GET_CUR; empty: none
    std::vector<uint8_t> after; // the caller's buffer afterwards
  } cases[] = {
      {"whole set", kPropertySetOnNode, {1, 2, 3, 4}, false, 0, {1, 2, 3, 4}, {1, 2, 3, 4}},
      {"short set", kPropertySetOnNode, {1, 2}, false, 0, {1, 2, 0, 0}, {1, 2}},
      {"long set", kPropertySetOnNode, {1, 2, 3, 4, 5}, false, 0x80070057, {}, {1, 2, 3, 4, 5}},
      {"whole get", kPropertyGetOnNode, {0, 0, 0, 0}, false, 0, {0, 0, 0, 0}, {9, 8, 7, 6}},
      {"short get", kPropertyGetOnNode, {0}, false, 0, {0, 0, 0, 0}, {9}},
      {"short get after a probe", kPropertyGetOnNode, {0, 0}, true, 0, {0, 0, 0, 0}, {9, 8}},
  };
  device_.reply = {9, 8, 7, 6};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto control = Open("/dev/video0");
    const NodeProperty property = Request(kExtensionUnitSets[0], 0x07, c.flags);
    uint32_t bytesReturned = 0;
    if (c.probedFirst) control->Property(property, nullptr, 0, bytesReturned);
    device_.queries.clear();
    std::vector<uint8_t> data = c.data;
    EXPECT_EQ(control->Property(property, data.data(), static_cast<uint32_t>(data.size()),
                                bytesReturned),
              c.status);
    EXPECT_EQ(bytesReturned, c.status == 0 ? data.size() : 0u);
    EXPECT_EQ(data, c.after);
    // The control's length is asked once while the camera stays enumerated.
    const size_t lengthQueries = &c == &cases[0] ? 1 : 0;
    ASSERT_EQ(device_.queries.size(), lengthQueries + (c.sent.empty() ? 0 : 1));
    if (lengthQueries == 1) {
      EXPECT_EQ(device_.queries[0].query, UVC_GET_LEN);
    }
    if (c.sent.empty()) continue;
    const RecordedQuery& query = device_.queries.back();
    EXPECT_EQ(query.unit, kUnit0Id);
    EXPECT_EQ(query.selector, 0x07);
    EXPECT_EQ(query.query, c.flags == kPropertySetOnNode ? UVC_SET_CUR : UVC_GET_CUR);
    EXPECT_EQ(query.size, 4u);
    EXPECT_EQ(query.data, c.sent);
  }
}

size_t LengthQueries(const std::vector<RecordedQuery>& queries) {
  return static_cast<size_t>(std::count_if(queries.begin(), queries.end(), [](const RecordedQuery& q) {
    return q.query == UVC_GET_LEN;
  }));
}

// A size probe asks the camera only the first time for each control: the length it gave holds
// for every node of the device, across opens, until the device is enumerated anew. A device
// that answered ENODEV has left: nothing is asked of it until it is enumerated anew.
TEST_F(V4l2TransportTest, SizeProbesAskTheCameraOncePerControlWhileItStaysEnumerated) {
  const NodeProperty probe5 = Request(kExtensionUnitSets[0], 0x05, kPropertyGetOnNode);
  const NodeProperty probe6 = Request(kExtensionUnitSets[0], 0x06, kPropertyGetOnNode);
  uint32_t bytesReturned = 0;
  const auto probe = [&](const char* node, const NodeProperty& property) {
    bytesReturned = 0;
    EXPECT_EQ(Open(node)->Property(property, nullptr, 0, bytesReturned), 0x800700EAu);
    EXPECT_EQ(bytesReturned, 4u);
    return LengthQueries(device_.queries);
  };
  EXPECT_EQ(probe("/dev/video0", probe5), 1u);
  EXPECT_EQ(probe("/dev/video0", probe5), 1u);
  EXPECT_EQ(probe("/dev/video1", probe5), 1u);  // another node of the same device
  EXPECT_EQ(probe("/dev/video1", probe6), 2u);  // another control
  uint8_t data[4] = {};
  EXPECT_EQ(Open("/dev/video0")->Property(probe5, data, sizeof data, bytesReturned), 0u);
  EXPECT_EQ(LengthQueries(device_.queries), 2u);
  tree_.Reenumerate();
  EXPECT_EQ(probe("/dev/video0", probe5), 3u);
  EXPECT_EQ(probe("/dev/video0", probe5), 3u);
  device_.ioctlError = ENODEV;
  EXPECT_EQ(Open("/dev/video0")->Property(probe5, data, sizeof data, bytesReturned), 0x8007048Fu);
  device_.ioctlError = 0;
  const size_t sent = device_.queries.size();
  EXPECT_EQ(Open("/dev/video1")->Property(probe6, nullptr, 0, bytesReturned), 0x8007048Fu);
  EXPECT_EQ(device_.queries.size(), sent);
  tree_.Reenumerate();
  EXPECT_EQ(probe("/dev/video0", probe5), 4u);
}

// A read or write the camera is not ready for (EBUSY) is repeated every 100 ms, ten times at
// most; a size probe is left to the core's own repeats.
TEST_F(V4l2TransportTest, RequestsTheCameraIsNotReadyForAreRepeatedTenTimes) {
  const struct {
    int busy;
    uint32_t status;
    size_t requests;
  } cases[] = {{0, 0, 1}, {3, 0, 4}, {10, 0, 11}, {11, 0x80070015, 11}, {50, 0x80070015, 11}};
  const NodeProperty get = Request(kExtensionUnitSets[0], 0x02, kPropertyGetOnNode);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.busy);
    const auto control = Open("/dev/video0");
    uint32_t bytesReturned = 0;
    control->Property(get, nullptr, 0, bytesReturned);
    device_.queries.clear();
    device_.sleeps.clear();
    device_.busyAnswers = c.busy;
    uint8_t data[4] = {};
    EXPECT_EQ(control->Property(get, data, sizeof data, bytesReturned), c.status);
    EXPECT_EQ(device_.queries.size(), c.requests);
    EXPECT_EQ(device_.sleeps, std::vector<uint32_t>(c.requests - 1, 100));
  }
  device_.busyAnswers = 0;
  device_.ioctlError = EBUSY;
  device_.sleeps.clear();
  uint32_t bytesReturned = 0;
  EXPECT_EQ(Open("/dev/video0")->Property(Request(kExtensionUnitSets[0], 0x08, kPropertyGetOnNode),
                                         nullptr, 0, bytesReturned),
            0x80070015u);
  EXPECT_TRUE(device_.sleeps.empty());
}

TEST_F(V4l2TransportTest, PropertySetTheCameraLacksIsNotFound) {
  uint8_t data[2] = {1, 2};
  uint32_t bytesReturned = 5;
  EXPECT_EQ(Open("/dev/video0")->Property(Request(kUnknownSet, 0x01, kPropertySetOnNode), data,
                                         sizeof data, bytesReturned),
            0x80070490u);
  EXPECT_EQ(bytesReturned, 0u);
  EXPECT_EQ(Open("/dev/video10")->Property(Request(kExtensionUnitSets[0], 0x01, kPropertySetOnNode),
                                         data, sizeof data, bytesReturned),
            0x80070490u);
  EXPECT_TRUE(device_.queries.empty());
}

TEST_F(V4l2TransportTest, DriverErrorsBecomeStatusWords) {
  const struct {
    int error;
    uint32_t status;
  } cases[] = {
      {EINVAL, 0x80070057}, {ENOBUFS, 0x80070057}, {ENOENT, 0x80070490},
      {ENODEV, 0x8007048F}, {ENXIO, 0x8007048F},   {EAGAIN, 0x80070015},
      {EBUSY, 0x80070015},  // uvcvideo's "not ready"
      {ENOTTY, 0x80070032},  // no UVC node: not supported, never retried
      {EACCES, 0x80070005}, {EPERM, 0x80070005},   {EIO, 0x8007001F},
  };
  const NodeProperty get = Request(kExtensionUnitSets[0], 0x03, kPropertyGetOnNode);
  for (const auto& c : cases) {
    tree_.Reenumerate();  // ENODEV leaves a device that has left
    const auto control = Open("/dev/video0");
    device_.ioctlError = c.error;
    uint8_t data[4] = {};
    uint32_t bytesReturned = 9;
    EXPECT_EQ(control->Property(get, data, sizeof data, bytesReturned), c.status)
        << "errno " << c.error;
    EXPECT_EQ(bytesReturned, 0u);
    EXPECT_EQ(control->Property(get, nullptr, 0, bytesReturned), c.status)
        << "size probe, errno " << c.error;
    EXPECT_EQ(bytesReturned, 0u);
  }
}

TEST_F(V4l2TransportTest, AutoUpdateIsNotSupported) {
  uint32_t status = 0;
  EXPECT_EQ(Open("/dev/video0")->EnableAutoUpdate(status), nullptr);
  EXPECT_EQ(status, 0x80070032u);
}

}  // namespace
}  // namespace tandrel
