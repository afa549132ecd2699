#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "text/hex4.h"
#include "platform/linux/linux_platform.h"
#include "platform/linux/sysfs_devices.h"
#include "scratch_dir.h"
#include "text/utf16.h"

namespace ostrel::linux_platform {
namespace {

using ostrel::testing::ScratchDir;
namespace stdfs = std::filesystem;

void Attribute(const stdfs::path& folder, const std::string& name, const std::string& value) {
  stdfs::create_directories(folder);
  std::ofstream(folder / name) << value << "\n";
}

// A sysfs tree: video0 and video1 on one USB camera interface, video2 on a non-USB device.
class SysfsTree {
 public:
  SysfsTree() : root_(stdfs::path(dir_.Path())) {
    AddCamera("1-2", "2a1f", {"video0", "video1"});
    const auto other = root_ / "devices/platform/vivid.0";
    stdfs::create_directories(other);
    Link("video2", other);
  }
  // A USB camera on the port, its interface 0 reached through the nodes.
  void AddCamera(const std::string& port, const std::string& pid, const std::vector<std::string>& nodes) {
    const auto camera = root_ / "devices/pci0000:00/usb1" / port;
    Attribute(camera, "idVendor", "0408");
    Attribute(camera, "idProduct", pid);
    Attribute(camera, "bcdDevice", "0105");
    Attribute(camera / (port + ":1.0"), "bInterfaceNumber", "00");
    for (const std::string& node : nodes) Link(node, camera / (port + ":1.0"));
  }
  std::string Root() const { return root_.string(); }

 private:
  void Link(const std::string& node, const stdfs::path& target) {
    const auto folder = root_ / "class/video4linux" / node;
    stdfs::create_directories(folder);
    stdfs::create_directory_symlink(target, folder / "device");
  }
  ScratchDir dir_;
  stdfs::path root_;
};

TEST(SysfsDevices, UsbCameraGetsWindowsFormPathAndIdsThatIdentifyIt) {
  SysfsTree tree;
  const auto devices = ListVideoDevices(tree.Root());
  ASSERT_EQ(devices.size(), 2u);  // video1 is the same interface as video0
  const auto& camera = devices[0];
  EXPECT_EQ(camera.devicePath.substr(0, 34), "\\\\?\\usb#vid_0408&pid_2a1f&mi_00#6&");
  EXPECT_EQ(camera.devicePath.substr(4, 3), "usb");
  const std::u16string id = camera.setupEntry.instanceId;
  EXPECT_EQ(id.substr(0, 30), u"USB\\VID_0408&PID_2A1F&MI_00\\6&");
  // The fourth &-piece of the instance id stands, in lower case, in the device path.
  const std::u16string piece = id.substr(30, 8);
  std::string lowerPiece = text::Utf16ToUtf8(piece);
  for (char& c : lowerPiece) c = static_cast<char>(std::tolower(c));
  EXPECT_NE(camera.devicePath.find("&" + lowerPiece + "&"), std::string::npos);
  const std::u16string hardwareId = camera.setupEntry.firstHardwareId;
  EXPECT_EQ(hardwareId, u"USB\\VID_0408&PID_2A1F&REV_0105&MI_00");
  EXPECT_EQ(text::ParseHex4(hardwareId.c_str() + 8), 0x0408);
  EXPECT_EQ(text::ParseHex4(hardwareId.c_str() + 17), 0x2A1F);
  EXPECT_EQ(text::ParseHex4(hardwareId.c_str() + 26), 0x0105);

  EXPECT_NE(devices[1].devicePath.substr(4, 3), "usb");
  EXPECT_TRUE(devices[1].setupEntry.instanceId.empty());
}

TEST(SysfsDevices, NoVideoClassGivesNoDevices) {
  ScratchDir empty;
  EXPECT_TRUE(ListVideoDevices(text::Utf16ToUtf8(empty.Path())).empty());
  LinuxPlatform platform(text::Utf16ToUtf8(empty.Path()));
  EXPECT_TRUE(platform.VideoDevicePaths().empty());
  ASSERT_TRUE(platform.SetupDevices().has_value());
  EXPECT_TRUE(platform.SetupDevices()->empty());
}

TEST(LinuxPlatform, DeviceHandleIsTheNodeOfTheListedDevice) {
  SysfsTree tree;
  tree.AddCamera("1-3", "2040", {"video3", "video4"});
  LinuxPlatform platform(tree.Root());
  const std::vector<std::string> paths = platform.VideoDevicePaths();
  ASSERT_EQ(paths.size(), 3u);
  ASSERT_NE(paths[0], paths[2]);
  const struct {
    std::string path;
    const char* handle;
  } cases[] = {
      {paths[0], "/dev/video0"},
      {paths[2], "/dev/video3"},
      {paths[2].substr(0, paths[2].size() - 1), nullptr},  // no device has that path
      {"", nullptr},
  };
  for (const auto& c : cases) {
    std::u16string refusal;
    const std::shared_ptr<void> handle = platform.OpenDeviceHandle(c.path, refusal);
    EXPECT_EQ(refusal, u"");
    if (c.handle == nullptr) {
      EXPECT_EQ(handle, nullptr) << c.path;
    } else {
      ASSERT_NE(handle, nullptr) << c.path;
      EXPECT_STREQ(static_cast<const char*>(handle.get()), c.handle);
    }
  }
}

TEST(LinuxPlatform, SecondLockOfTheSameProgramIsRefused) {
  LinuxPlatform first;
  LinuxPlatform second;
  EXPECT_TRUE(first.AcquireSingleInstance());
  EXPECT_FALSE(second.AcquireSingleInstance());
}

TEST(LinuxPlatform, LibraryNamesMapToSharedObjectsOfTheProgramFolder) {
  EXPECT_EQ(SharedObjectName(u"Tandrel.dll"), "libtandrel.so");
  EXPECT_EQ(SharedObjectName(u"SunplusCamera.dll"), "libsunpluscamera.so");
  EXPECT_EQ(SharedObjectName(u"BurnerApLib.dll"), "libburneraplib.so");
  EXPECT_EQ(ProgramLibraryPaths("/opt/ostrel/bin/ostrel", u"Tandrel.dll"),
            (std::vector<std::string>{"/opt/ostrel/bin/libtandrel.so",
                                      "/opt/ostrel/bin/../lib/" TANDREL_SONAME}));
  EXPECT_EQ(ProgramLibraryPaths("/opt/ostrel/bin/ostrel", u"SunplusCamera.dll"),
            std::vector<std::string>{"/opt/ostrel/bin/libsunpluscamera.so"});
  LinuxPlatform platform;
  EXPECT_EQ(platform.LoadProgramLibrary(u"NoSuchLibrary.dll"), nullptr);
}

// The built libtandrel.so placed as the program folder or an installed layout holds it.
TEST(LinuxPlatform, TandrelLoadsBesideTheProgramOrFromTheInstalledLib) {
  ScratchDir dir;
  const stdfs::path root = text::Utf16ToUtf8(dir.Path());
  const struct {
    const char* copy;  // where the library is put, below the scratch folder
    const char* program;
    const char16_t* name;
    bool loads;
  } cases[] = {
      {"folder/libtandrel.so", "folder/ostrel", u"Tandrel.dll", true},
      {"installed/lib/" TANDREL_SONAME, "installed/bin/ostrel", u"Tandrel.dll", true},
      // The development link of an installed layout is not the library's own name.
      {"dev/lib/libtandrel.so", "dev/bin/ostrel", u"Tandrel.dll", false},
      // Vendor libraries belong in the program folder only.
      {"vendor/lib/libsunpluscamera.so." TANDREL_SOVERSION, "vendor/bin/ostrel",
       u"SunplusCamera.dll", false},
      {"missing/lib/other.so", "missing/bin/ostrel", u"Tandrel.dll", false},
  };
  for (const auto& c : cases) {
    const stdfs::path copy = root / c.copy;
    stdfs::create_directories(copy.parent_path());
    stdfs::create_directories((root / c.program).parent_path());
    stdfs::copy_file(TANDREL_LIBRARY, copy);
    const auto library = LoadLibraryOfProgram((root / c.program).string(), c.name);
    EXPECT_EQ(library != nullptr, c.loads) << c.copy;
    if (library != nullptr) {
      EXPECT_NE(library->Symbol("ZelSetDeviceHandle"), nullptr) << c.copy;
    }
  }
}

TEST(LinuxPlatform, ReadsFilesWithTheirSize) {
  ScratchDir dir;
  dir.WriteFile(u"image.bin", std::string("\x01\x02\x03", 3));
  LinuxPlatform platform;
  EXPECT_EQ(platform.OpenFileForReading(dir.File(u"none.bin")), nullptr);
  const auto file = platform.OpenFileForReading(dir.File(u"image.bin"));
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->Size(), 3u);
  uint8_t bytes[8] = {};
  EXPECT_EQ(file->Read(bytes, sizeof bytes), 3u);
  EXPECT_EQ(bytes[2], 3);
}

TEST(LinuxPlatform, OpensOnlyRegularFilesAndNeverWaits) {
  ScratchDir dir;
  dir.MakeFifo(u"fifo.bin");
  dir.MakeLink(u"zero.bin", "/dev/zero");
  dir.MakeFolder(u"folder.bin");
  LinuxPlatform platform;
  for (const char16_t* name : {u"fifo.bin", u"zero.bin", u"folder.bin"}) {
    EXPECT_EQ(platform.OpenFileForReading(dir.File(name)), nullptr) << text::Utf16ToUtf8(name);
  }
}

}  // namespace
}  // namespace ostrel::linux_platform
