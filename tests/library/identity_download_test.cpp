// Device identity and firmware download on the simulated camera, ending with a whole update
// through the library alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "camera/live_world.h"
#include "image_maker/zel_image.h"
#include "sim_world_fixture.h"
#include "tandrel.h"

namespace tandrel::testing {
namespace {

using image_maker::MakeZelImage;
using image_maker::ZelImageSpec;

std::string Bytes(const std::vector<uint8_t>& image) { return std::string(image.begin(), image.end()); }

class IdentityTest : public SimWorldTest {
 protected:
  // A camera whose flash holds the image.
  void UseFlash(const std::vector<uint8_t>& flash, const std::string& extraKeys = "") {
    // The world in use holds its flash file open: it goes before the file is written anew.
    ZelClearDeviceHandle();
    sim::LiveWorld::Activate(dir_.File(u"absent.ini"));
    dir_.WriteFile(u"camera1.flash", Bytes(flash));
    UseWorld(CameraSection(1, kZelPath, "Flash=camera1.flash\n" + extraKeys));
  }
};

TEST_F(IdentityTest, FirmwareVersionFieldsWithAndWithoutTheirLabels) {
  auto image = MakeZelImage({});
  std::memcpy(&image[0x248], "XID", 3);  // the product label is missing
  UseFlash(image);
  ZelFirmwareVersion version{};
  ASSERT_EQ(ZelGetFirmwareVersion(&version), ZEL_OK);
  EXPECT_EQ(std::string(version.vendor, 5), std::string("0408\0", 5));
  EXPECT_EQ(std::string(version.product, 5), std::string("FFFF\0", 5));
  EXPECT_EQ(std::string(version.revision, 5), std::string("0107\0", 5));
  EXPECT_EQ(ZelGetFirmwareVersion(nullptr), ZEL_E_INVALID_ARG);
}

TEST_F(IdentityTest, ReadFailureLeavesEveryFieldFFFF) {
  UseFlash(MakeZelImage({}), "FailGet0.3=0x8007001f");
  ZelFirmwareVersion version{};
  EXPECT_EQ(ZelGetFirmwareVersion(&version), ZEL_E_DEVICE);
  EXPECT_EQ(std::string(version.revision, 5), std::string("FFFF\0", 5));
}

TEST_F(IdentityTest, SerialNumberIndexTwoWithSlotSize64IsReadAt20A0) {
  ZelImageSpec spec;
  spec.manufacturer = "ACME";
  auto image = MakeZelImage(spec);
  image[0x4030] = 2;  // the serial number is string 2 here
  UseFlash(image);
  char text[32] = {};
  int count = 0;
  ASSERT_EQ(ZelGetSerialNumber(text, sizeof text, &count), ZEL_OK);
  EXPECT_STREQ(text, "ACME");
  EXPECT_EQ(count, 5);
  // Read address set-ups: the index byte, the area's first 80 bytes, slot 2.
  std::vector<std::string> addresses;
  for (const auto& line : TraceOf("SET")) {
    if (line.rfind("SET 0 3 64 5a", 0) == 0) addresses.push_back(line.substr(13, 8));
  }
  EXPECT_EQ(addresses, (std::vector<std::string>{"30400000", "20200000", "a0200000"}));
}

TEST_F(IdentityTest, StringLookupBoundaries) {
  ZelImageSpec spec;
  spec.serialNumber = "ABCDEFGH";  // bLength 18
  auto image = MakeZelImage(spec);
  UseFlash(image);
  const struct {
    int size;
    int result;
    int count;
    std::string text;
  } cases[] = {
      {5, ZEL_OK, 5, "ABCD"},  {9, ZEL_OK, 9, "ABCDEFGH"}, {64, ZEL_OK, 9, "ABCDEFGH"},
      {1, ZEL_OK, 1, ""},      {0, ZEL_E_INVALID_ARG, -1, "untouched"},
      {-1, ZEL_E_INVALID_ARG, -1, "untouched"},
  };
  for (const auto& c : cases) {
    char text[80];
    std::strcpy(text, "untouched");
    int count = -1;
    EXPECT_EQ(ZelGetSerialNumber(text, c.size, &count), c.result) << c.size;
    EXPECT_EQ(count, c.count) << c.size;
    EXPECT_EQ(std::string(text), c.text) << c.size;
  }
}

TEST_F(IdentityTest, DescriptorLengthsOutsideTheSlotStayInsideIt) {
  ZelImageSpec spec;
  spec.serialNumber = "X";
  spec.slotSize = 0x20;
  auto image = MakeZelImage(spec);
  const struct {
    uint8_t bLength;
    int count;
  } cases[] = {{1, 1}, {2, 1}, {0xFF, 16}};  // 0xFF is cut to the slot: 30 bytes, 15 characters
  for (const auto& c : cases) {
    image[0x2020 + 3 * 0x20] = c.bLength;
    UseFlash(image);
    char text[80] = {};
    int count = -1;
    EXPECT_EQ(ZelGetSerialNumber(text, sizeof text, &count), ZEL_OK);
    EXPECT_EQ(count, c.count) << int{c.bLength};
  }
}

TEST_F(IdentityTest, IndexZeroAnswersWithoutReadingTheAreaAndNoSlotsIsNotSupported) {
  auto image = MakeZelImage({});  // no serial-number string
  UseFlash(image);
  char text[8] = "keep";
  int count = -1;
  ASSERT_EQ(ZelGetSerialNumber(text, sizeof text, &count), ZEL_OK);
  EXPECT_EQ(count, 0);
  EXPECT_STREQ(text, "keep");
  EXPECT_EQ(TraceOf("SET").size(), 1u);  // the index byte's address only

  std::fill(image.begin() + 0x2024, image.begin() + 0x2070, 0);
  image[0x402E] = 1;
  UseFlash(image);
  EXPECT_EQ(ZelGetiManufacturer(text, sizeof text, &count), ZEL_E_NOT_SUPPORTED);
  EXPECT_EQ(count, 0);
}

// What an interrupted download leaves: the index 0xFF of the erased descriptor, an erased
// string area. Neither that nor a slot of another descriptor type is a name.
TEST_F(IdentityTest, SlotThatIsNoStringDescriptorIsNoString) {
  auto image = MakeZelImage({});
  image[0x402E] = 3;
  image[0x2020 + 3 * 0x40] = 8;
  image[0x2020 + 3 * 0x40 + 1] = 4;
  const std::vector<uint8_t> erased(0x20000, 0xFF);
  for (const auto& flash : {image, erased}) {
    UseFlash(flash);
    char text[8] = "keep";
    int count = -1;
    EXPECT_EQ(ZelGetiManufacturer(text, sizeof text, &count), ZEL_OK);
    EXPECT_EQ(count, 0);
    EXPECT_STREQ(text, "keep");
  }
}

TEST_F(IdentityTest, CustomSerialNumberRoundTripAndRefusals) {
  UseFlash(std::vector<uint8_t>(0x20000, 0xFF));
  ZelCustomSerialNumber record{};
  EXPECT_EQ(ZelGetCustomSerialNumber(&record), ZEL_E_INVALID_ARG);
  EXPECT_EQ(record.valid, 0);
  EXPECT_EQ(record.length, 0xFF);

  ZelCustomSerialNumber written{};
  written.valid = 0;  // ignored on write
  written.length = 5;
  std::memcpy(written.serial, "A1B2C", 5);
  ASSERT_EQ(ZelSetCustomSerialNumber(written), ZEL_OK);
  ZelCustomSerialNumber read{};
  ASSERT_EQ(ZelGetCustomSerialNumber(&read), ZEL_OK);
  EXPECT_EQ(read.valid, 1);
  EXPECT_EQ(read.length, 5);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(read.serial), 5), "A1B2C");

  const size_t before = Trace().size();
  written.length = 31;
  EXPECT_EQ(ZelSetCustomSerialNumber(written), ZEL_E_INVALID_ARG);
  EXPECT_EQ(Trace().size(), before);
  written.length = 0;
  ASSERT_EQ(ZelSetCustomSerialNumber(written), ZEL_OK);
  ASSERT_EQ(ZelGetCustomSerialNumber(&read), ZEL_OK);
  EXPECT_EQ(read.valid, 1);
  EXPECT_EQ(read.length, 0);
}

TEST(ManufacturerIntoImage, NameIsCutToItsSlotAndLandsInSlotThree) {
  ZelImageSpec spec;
  spec.slotSize = 0x20;
  auto image = MakeZelImage(spec);
  const auto before = image;
  ASSERT_EQ(pfn_UVC_SetManufactureStringToFW(image.data(), 1, "ABCDEFGHIJKLMNOPQRST"), 0);
  EXPECT_EQ(image[0x402E], 3);
  EXPECT_EQ(image[0x2080], 32);  // 15 characters: 2 + 30 bytes fill the slot
  EXPECT_EQ(image[0x2081], 3);
  for (int i = 0; i < 15; ++i) {
    EXPECT_EQ(image[0x2082 + 2 * i], 'A' + i);
    EXPECT_EQ(image[0x2083 + 2 * i], 0);
  }
  // Nothing else changed.
  for (size_t i = 0; i < image.size(); ++i) {
    if (i == 0x402E || (i >= 0x2080 && i < 0x20A0)) continue;
    ASSERT_EQ(image[i], before[i]) << i;
  }
}

TEST(ManufacturerIntoImage, EmptyNameOnlyClearsTheSerialNumberIndex) {
  auto image = MakeZelImage({});
  image[0x4030] = 3;
  const auto before = image;
  ASSERT_EQ(pfn_UVC_SetManufactureStringToFW(image.data(), 1, ""), 0);
  EXPECT_EQ(image[0x4030], 0);
  image[0x4030] = 3;
  EXPECT_EQ(image, before);
}

TEST(ManufacturerIntoImage, ImageWithoutSlotsIsLeftAlone) {
  std::vector<uint8_t> image(0x20000, 0);
  ASSERT_EQ(pfn_UVC_SetManufactureStringToFW(image.data(), 1, "NORV"), 0);
  EXPECT_EQ(image, std::vector<uint8_t>(0x20000, 0));
  EXPECT_EQ(pfn_UVC_SetManufactureStringToFW(nullptr, 1, "NORV"), ZEL_E_INVALID_ARG);
}

class DownloadTest : public IdentityTest {};

TEST_F(DownloadTest, EraseCheckFailsWhenOneByteStaysProgrammed) {
  UseFlash(MakeZelImage({}), "StuckByte=0x1234:0x00");
  EXPECT_EQ(pfn_UVC_EEPROMErase(), 1);
  UseFlash(MakeZelImage({}));
  EXPECT_EQ(pfn_UVC_EEPROMErase(), 0);
}

TEST_F(DownloadTest, DifferenceInTheLastByteFailsTheVerify) {
  const auto image = MakeZelImage({});
  const uint8_t stuck = static_cast<uint8_t>(image.back() ^ 0xFF);
  char keys[64];
  std::snprintf(keys, sizeof keys, "StuckByte=0x1ffff:0x%02x", stuck);
  UseFlash(std::vector<uint8_t>(0x20000, 0xFF), keys);
  EXPECT_EQ(pfn_EEPROM_DownLoad2(1, 0, image.data(), static_cast<int>(image.size())), 1);
  EXPECT_EQ(pfn_EEPROM_DownLoad2(1, 0x10000, image.data(), 0x10001), ZEL_E_INVALID_ARG);
}

// One flash command of a download as the camera saw it: a write or read address command
// ('W', 'R') with its address, or a write-data packet ('D') with its bytes.
struct FlashCommand {
  char kind;
  int address;
  std::vector<uint8_t> data;
};

std::vector<FlashCommand> FlashCommands(const std::vector<std::string>& trace) {
  const std::string prefix = "SET 0 3 64 ";
  std::vector<FlashCommand> commands;
  for (const std::string& line : trace) {
    if (line.rfind(prefix, 0) != 0) continue;
    std::vector<uint8_t> payload;
    for (size_t i = prefix.size(); i + 1 < prefix.size() + 128; i += 2) {
      payload.push_back(static_cast<uint8_t>(std::stoi(line.substr(i, 2), nullptr, 16)));
    }
    const int address = payload[1] | payload[2] << 8 | payload[3] << 16 | payload[4] << 24;
    if (payload[0] == 0x00) commands.push_back({'W', address, {}});
    if (payload[0] == 0x5A) commands.push_back({'R', address, {}});
    if (payload[0] > 0x20 && payload[0] <= 0x3A) {
      commands.push_back({'D', 0, {payload.begin() + 1, payload.begin() + 1 + (payload[0] - 0x20)}});
    }
  }
  return commands;
}

// The descriptor's page goes after everything else and the packet carrying the descriptor
// last, each part read back before the next; the packets are those of one whole write.
TEST_F(DownloadTest, DescriptorPacketIsWrittenLastAndTheFlashEqualsTheImage) {
  const auto image = MakeZelImage({});
  UseFlash(std::vector<uint8_t>(0x20000, 0xFF));
  ASSERT_EQ(pfn_EEPROM_DownLoad2(1, 0, image.data(), static_cast<int>(image.size())), 0);

  std::vector<std::pair<char, int>> addresses;
  std::vector<uint8_t> rebuilt(0x20000, 0xFF);
  std::vector<int> timesWritten(0x20000, 0);
  int next = 0;
  int packets = 0;
  int lastPacket = -1;
  for (const FlashCommand& command : FlashCommands(Trace())) {
    if (command.kind != 'D') {
      addresses.emplace_back(command.kind, command.address);
      if (command.kind == 'W') next = command.address;
      continue;
    }
    const int n = static_cast<int>(command.data.size());
    EXPECT_LE(next % 256 + n, 256) << "packet at " << next << " crosses its page";
    // A full page goes as nine packets of 26 bytes and one of 22, on the page's own grid.
    EXPECT_EQ(n, std::min(26, 256 - next % 256)) << next;
    for (int i = 0; i < n; ++i) {
      rebuilt[next + i] = command.data[i];
      ++timesWritten[next + i];
    }
    lastPacket = next;
    next += n;
    ++packets;
  }
  EXPECT_EQ(addresses, (std::vector<std::pair<char, int>>{{'W', 0},
                                                            {'R', 0},
                                                            {'W', 0x4100},
                                                            {'R', 0x4100},
                                                            {'W', 0x4000},
                                                            {'R', 0x4000},
                                                            {'W', 0x4034},
                                                            {'R', 0x4034},
                                                            {'W', 0x401A},
                                                            {'R', 0x401A}}));
  EXPECT_EQ(packets, 512 * 10);
  EXPECT_EQ(lastPacket, 0x401A);
  EXPECT_TRUE(rebuilt == image);
  EXPECT_TRUE(std::all_of(timesWritten.begin(), timesWritten.end(), [](int n) { return n == 1; }));
  std::vector<uint8_t> flash(0x20000);
  ASSERT_EQ(ZelFlashRead(0, flash.data(), 0x20000), ZEL_OK);
  EXPECT_TRUE(flash == image);
}

// A download cut off or failing anywhere before its last packet leaves the descriptor erased:
// the camera then reports the release of its hardware id, and the next update completes.
TEST_F(DownloadTest, InterruptedDownloadLeavesTheDescriptorErasedAndTheNextUpdateCompletes) {
  const auto image = MakeZelImage({});
  const std::vector<uint8_t> erased(0x20000, 0xFF);
  // Where the parts start in the request count of an undisturbed download.
  UseFlash(erased);
  const size_t before = Trace().size();
  ASSERT_EQ(pfn_EEPROM_DownLoad2(1, 0, image.data(), static_cast<int>(image.size())), 0);
  std::vector<std::string> trace = Trace();
  trace.erase(trace.begin(), trace.begin() + static_cast<long>(before));
  const auto startOf = [&](const std::string& addressCommand) {
    const auto found = std::find_if(trace.begin(), trace.end(), [&](const std::string& line) {
      return line.rfind("SET 0 3 64 " + addressCommand, 0) == 0;
    });
    EXPECT_NE(found, trace.end()) << addressCommand;
    return std::to_string(found - trace.begin());
  };
  const std::string upper = startOf("0000410000");
  const std::string page = startOf("0000400000");
  const std::string descriptorPacket = startOf("001a400000");
  const int descriptorData = std::stoi(descriptorPacket) + 1;

  // A byte that reads back other than the image's.
  const auto stuck = [&](int address) {
    char keys[40];
    std::snprintf(keys, sizeof keys, "StuckByte=0x%x:0x%02x", address, image[address] ^ 0xFF);
    return std::string(keys);
  };
  const struct {
    std::string keys;
    std::optional<int> result;  // none: any failure
  } cases[] = {
      {"UnplugAfter=1", std::nullopt},
      {"UnplugAfter=2000", std::nullopt},
      {"UnplugAfter=" + upper, std::nullopt},
      {"UnplugAfter=" + std::to_string(std::stoi(upper) + 6000), std::nullopt},
      {"UnplugAfter=" + page, std::nullopt},
      {"UnplugAfter=" + descriptorPacket, std::nullopt},
      {"UnplugAfter=" + std::to_string(descriptorData), std::nullopt},
      {"FailGet0.3=0x8007001f", std::nullopt},
      {stuck(0), 1},
      {stuck(0x1FFFF), 1},
      {stuck(0x4000), 1},
      {stuck(0x40FF), 1},
  };
  for (const auto& c : cases) {
    UseFlash(erased, c.keys);
    const int result = pfn_EEPROM_DownLoad2(1, 0, image.data(), static_cast<int>(image.size()));
    if (c.result) {
      EXPECT_EQ(result, *c.result) << c.keys;
    } else {
      EXPECT_NE(result, 0) << c.keys;
    }
    const std::string left = dir_.ReadFile(u"camera1.flash");
    EXPECT_EQ(left.substr(0x401A, 26), std::string(26, '\xFF')) << c.keys;

    // Plugged in again: no release of its own, so the host sees the hardware id's.
    UseFlash(std::vector<uint8_t>(left.begin(), left.end()));
    EXPECT_EQ(sim::LiveWorld::Active()->Zel(0)->Release(), std::nullopt) << c.keys;
    ASSERT_EQ(pfn_UVC_EEPROMErase(), 0) << c.keys;
    ASSERT_EQ(pfn_EEPROM_DownLoad2(1, 0, image.data(), static_cast<int>(image.size())), 0) << c.keys;
    ASSERT_EQ(pfn_UVC_ResetIC(), 0) << c.keys;
    EXPECT_EQ(sim::LiveWorld::Active()->Zel(0)->Release(), 0x0107) << c.keys;
    std::vector<uint8_t> flash(0x20000);
    ASSERT_EQ(ZelFlashRead(0, flash.data(), 0x20000), ZEL_OK);
    EXPECT_TRUE(flash == image) << c.keys;
  }
}

TEST_F(DownloadTest, WholeUpdateThroughTheLibraryAlone) {
  ZelImageSpec old;
  old.version = 0x0105;
  old.manufacturer = "NORV Inc";
  UseFlash(MakeZelImage(old));
  ASSERT_EQ(sim::LiveWorld::Active()->Zel(0)->Release(), 0x0105);

  ASSERT_EQ(pfn_RvcLib_Initialize(), 0);
  char name[256] = {};
  unsigned char nameLength = 0;
  pfn_GetManufacturer(name, &nameLength);
  EXPECT_STREQ(name, "NORV Inc");
  EXPECT_EQ(nameLength, 9);
  ASSERT_EQ(pfn_UVC_EEPROMErase(), 0);
  auto image = MakeZelImage({});  // 0107, no manufacturer string of its own
  ASSERT_EQ(pfn_UVC_SetManufactureStringToFW(image.data(), 1, name), 0);
  ASSERT_EQ(pfn_EEPROM_DownLoad2(1, 0, image.data(), static_cast<int>(image.size())), 0);
  ASSERT_EQ(pfn_UVC_ResetIC(), 0);

  std::vector<uint8_t> flash(0x20000);
  ASSERT_EQ(ZelFlashRead(0, flash.data(), 0x20000), ZEL_OK);
  EXPECT_TRUE(flash == image);
  EXPECT_EQ(sim::LiveWorld::Active()->Zel(0)->Release(), 0x0107);
  char text[32] = {};
  int count = 0;
  ASSERT_EQ(ZelGetiManufacturer(text, sizeof text, &count), ZEL_OK);
  EXPECT_STREQ(text, "NORV Inc");
}

}  // namespace
}  // namespace tandrel::testing
