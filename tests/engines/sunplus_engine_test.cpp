// The Sunplus engine against an in-test SunplusCamera: flash index, the serial-number block
// (backup, restore, default), the 0x6A pointer chains, part choice and every failure.
#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "engine_fixture.h"
#include "engines/engines.h"
#include "vendor_api/sunplus_camera.h"

namespace ostrel {
namespace {

namespace api = sunplus_camera;

struct FakeSunplus {
  int initResult = 0;
  unsigned char flashType = 0x7A;
  unsigned char asicType = 0x68;
  int asicResult = 0;
  int failingUpload = -1;  // the sector whose upload fails, -1 = none
  std::vector<uint8_t> flash = std::vector<uint8_t>(0x20000, 0xFF);
  int downloadResult = 0;
  std::vector<std::string> calls;
  std::vector<uint8_t> downloaded;
};
FakeSunplus* g_fake = nullptr;

void Call(const char* format, int a = 0, int b = 0) {
  char line[64];
  std::snprintf(line, sizeof line, format, a, b);
  g_fake->calls.push_back(line);
}

int Init(int reserved) {
  Call("SunplusCam_Init %d", reserved);
  return g_fake->initResult;
}
int GetFlashType(unsigned char* type) {
  Call("Get_FlashType");
  *type = g_fake->flashType;
  return 0;
}
int GetAsicType(unsigned char* type) {
  Call("Get_ASICType");
  if (g_fake->asicResult != 0) return g_fake->asicResult;
  *type = g_fake->asicType;
  return 0;
}
int UploadSector(unsigned char* buffer, int sector, int flashIndex) {
  Call("Upload_Sector %d %d", sector, flashIndex);
  if (sector == g_fake->failingUpload) return 1;
  const auto from = g_fake->flash.begin() + sector * api::kSectorBytes;
  std::copy(from, from + api::kSectorBytes, buffer);
  return 0;
}
int Download(const unsigned char* image, int length, int flashIndex, unsigned char* cell1,
             unsigned char* cell2, std::atomic<uint8_t>* state, std::atomic<uint8_t>* progress) {
  Call("Download_FW_Verbose %x %d", length, flashIndex);
  EXPECT_EQ(*cell1, 0);
  EXPECT_EQ(*cell2, 0);
  g_fake->downloaded.assign(image, image + length);
  *state = kStateEngineWorking;
  if (g_fake->downloadResult == 0) *progress = 100;
  return g_fake->downloadResult;
}

const std::map<std::string, void*> kExports = {
    {"SunplusCam_Init", reinterpret_cast<void*>(api::SunplusCamInitFn{&Init})},
    {"Get_FlashType", reinterpret_cast<void*>(api::GetFlashTypeFn{&GetFlashType})},
    {"Get_ASICType", reinterpret_cast<void*>(api::GetAsicTypeFn{&GetAsicType})},
    {"Upload_Sector", reinterpret_cast<void*>(api::UploadSectorFn{&UploadSector})},
    {"Download_FW_Verbose", reinterpret_cast<void*>(api::DownloadFwVerboseFn{&Download})},
};

const std::vector<uint8_t> kDefaultBlock = {
    0x00, 0x1E, 0x1E, 0x03, 0x53, 0x00, 0x75, 0x00, 0x6E, 0x00, 0x70, 0x00, 0x6C, 0x00, 0x75, 0x00,
    0x73, 0x00, 0x49, 0x00, 0x54, 0x00, 0x20, 0x00, 0x49, 0x00, 0x4E, 0x00, 0x43, 0x00, 0x2E, 0x88};

// A block of the length: byte 1 = length - 2, the rest a pattern.
std::vector<uint8_t> Block(size_t length, uint8_t seed) {
  std::vector<uint8_t> block(length);
  for (size_t i = 0; i < length; ++i) block[i] = static_cast<uint8_t>(seed + i);
  block[1] = static_cast<uint8_t>(length - 2);
  return block;
}

std::string Bytes(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

class SunplusEngineTest : public testing::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    fake = FakeSunplus{};
    g_fake = &fake;
    platform.libraries[u"SunplusCamera.dll"] = kExports;
    record.m_wBcd = 0x0100;
    record.m_nImageSize = 0x10000;
    for (int i = 0; i < record.m_nImageSize; ++i) record.m_pImage[i] = static_cast<uint8_t>(i * 3);
    image = std::vector<uint8_t>(record.m_pImage.get(), record.m_pImage.get() + 0x10000);
  }
  void TearDown() override {
    g_fake = nullptr;
    EngineTest::TearDown();
  }
  void Run() { EXPECT_EQ(RunSunplusUpdate(record), 0u); }
  void PutInFlash(size_t at, const std::vector<uint8_t>& bytes) {
    std::copy(bytes.begin(), bytes.end(), fake.flash.begin() + at);
  }
  // The 0x6A header: 0x89 0x1F, p at bytes 4-5, q at p + 0x20 (all big-endian).
  void Header6A(uint16_t p, uint16_t q) {
    fake.asicType = 0x6A;
    PutInFlash(0, {0x89, 0x1F, 0, 0, static_cast<uint8_t>(p >> 8), static_cast<uint8_t>(p)});
    PutInFlash(p + 0x20u, {static_cast<uint8_t>(q >> 8), static_cast<uint8_t>(q)});
  }
  std::vector<uint8_t> Downloaded(size_t at, size_t length) const {
    return std::vector<uint8_t>(fake.downloaded.begin() + at, fake.downloaded.begin() + at + length);
  }
  std::string SerialFile() const { return dir.ReadFile(u"bin/SPSN.bin"); }

  FakeSunplus fake;
  std::vector<uint8_t> image;
};

TEST_F(SunplusEngineTest, ValidBlockIsBackedUpAndPatchedIntoSector14) {
  fake.asicType = 0x69;
  PutInFlash(0xE000, Block(20, 0x40));
  Run();
  ExpectOutcome(kStateFinished, 100, kOutcomeSuccess);
  EXPECT_EQ(fake.calls, (std::vector<std::string>{"SunplusCam_Init 0", "Get_FlashType",
                                                  "Get_ASICType", "Upload_Sector 14 1",
                                                  "Download_FW_Verbose 10000 1"}));
  EXPECT_EQ(SerialFile(), Bytes(Block(20, 0x40)));
  EXPECT_EQ(Downloaded(0xE000, 20), Block(20, 0x40));
  EXPECT_EQ(Downloaded(0, 0xE000), std::vector<uint8_t>(image.begin(), image.begin() + 0xE000));
  EXPECT_EQ(LogLines(), "");
}

TEST_F(SunplusEngineTest, ImageEndingBeforeTheBlockIsDownloadedWithTheBlock) {
  const struct {
    int32_t imageSize;
    size_t downloaded;
  } cases[] = {{0xC000, 0xE000 + 20}, {0xE000 + 10, 0xE000 + 20}, {0xE000 + 20, 0xE000 + 20},
               {0x10000, 0x10000}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.imageSize);
    fake.downloaded.clear();
    std::copy(image.begin(), image.end(), record.m_pImage.get());  // patched in place each run
    fake.asicType = 0x68;
    PutInFlash(0xE000, Block(20, 0x40));
    record.m_nImageSize = c.imageSize;
    Run();
    ASSERT_EQ(fake.downloaded.size(), c.downloaded);
    EXPECT_EQ(Downloaded(0xE000, 20), Block(20, 0x40));
    // A gap before the block is left erased, the image before it as it was.
    const size_t imageEnd = std::min<size_t>(c.imageSize, 0xE000);
    EXPECT_EQ(Downloaded(0, imageEnd), std::vector<uint8_t>(image.begin(), image.begin() + imageEnd));
    EXPECT_EQ(Downloaded(imageEnd, 0xE000 - imageEnd), std::vector<uint8_t>(0xE000 - imageEnd, 0xFF));
  }
}

TEST_F(SunplusEngineTest, BlockLengthBoundaryIs68) {
  const struct {
    size_t length;
    bool valid;
  } cases[] = {{2, true}, {68, true}, {69, false}, {257, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.length);
    TearDown();
    SetUp();
    dir.WriteFile(u"bin/SPSN.bin", "saved");
    PutInFlash(0xE000, Block(c.length, 0x10));
    Run();
    const auto expected = c.valid ? Block(c.length, 0x10) : std::vector<uint8_t>{'s', 'a', 'v', 'e', 'd'};
    EXPECT_EQ(Downloaded(0xE000, expected.size()), expected);
    EXPECT_EQ(SerialFile(), Bytes(expected));
  }
}

TEST_F(SunplusEngineTest, ErasedBlockIsRestoredFromTheFileOrTheDefault) {
  // Sector 14 erased: byte 1 = 0xFF gives length 257, not valid.
  Run();
  EXPECT_EQ(Downloaded(0xE000, kDefaultBlock.size()), kDefaultBlock);
  EXPECT_FALSE(dir.Exists(u"bin/SPSN.bin"));

  TearDown();
  SetUp();
  dir.WriteFile(u"bin/SPSN.bin", Bytes(Block(24, 0x70)));
  Run();
  ExpectOutcome(kStateFinished, 100, kOutcomeSuccess);
  EXPECT_EQ(Downloaded(0xE000, 24), Block(24, 0x70));
  EXPECT_EQ(SerialFile(), Bytes(Block(24, 0x70)));
}

TEST_F(SunplusEngineTest, RestoredFileIsReadUpToOneSector) {
  dir.WriteFile(u"bin/SPSN.bin", std::string(5000, '\x22'));
  Run();
  EXPECT_EQ(Downloaded(0xE000, 4096), std::vector<uint8_t>(4096, 0x22));
  EXPECT_EQ(fake.downloaded[0xE000 + 4096], image[0xE000 + 4096]);
}

TEST_F(SunplusEngineTest, Chip6AFollowsThePointerChainsOfHeaderAndImage) {
  Header6A(0x0100, 0x3010);  // the block's sector is 3, the top four bits of q
  PutInFlash(0x3000, Block(40, 0x90));
  record.m_pImage[4] = 0x02;
  record.m_pImage[5] = 0x00;
  record.m_pImage[0x220] = 0x70;
  record.m_pImage[0x221] = 0x00;
  Run();
  ExpectOutcome(kStateFinished, 100, kOutcomeSuccess);
  EXPECT_EQ(std::vector<std::string>(fake.calls.begin() + 3, fake.calls.end()),
            (std::vector<std::string>{"Upload_Sector 0 1", "Upload_Sector 1 1", "Upload_Sector 2 1",
                                      "Upload_Sector 3 1", "Upload_Sector 4 1", "Upload_Sector 3 1",
                                      "Download_FW_Verbose 7028 1"}));
  // q = 0x7000 and a 40-byte block: the download ends with the block, at 0x7028.
  EXPECT_EQ(record.m_nImageSize, 0x7028);
  EXPECT_EQ(Downloaded(0x7000, 40), Block(40, 0x90));
  EXPECT_EQ(SerialFile(), Bytes(Block(40, 0x90)));
}

TEST_F(SunplusEngineTest, Chip6AHeaderThatIsNotValidLeadsToTheRestore) {
  const struct {
    const char* name;
    std::vector<uint8_t> start;
  } cases[] = {
      {"first byte", {0x88, 0x1F, 0, 0, 0x01, 0x00}},
      {"upper bits", {0x89, 0x2F, 0, 0, 0x01, 0x00}},
      // p + 0x21 = 20,480: one past the five header sectors
      {"pointer out of the header", {0x89, 0x1F, 0, 0, 0x4F, 0xDF}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    fake.asicType = 0x6A;
    PutInFlash(0, c.start);
    PutInFlash(0x100 + 0x20, {0x30, 0x00});
    PutInFlash(0x3000, Block(10, 0));
    record.m_pImage[4] = 0x00;  // p = 0x10, q = image[0x30..0x31]
    record.m_pImage[5] = 0x10;
    record.m_pImage[0x30] = 0x20;
    record.m_pImage[0x31] = 0x00;
    Run();
    EXPECT_EQ(Downloaded(0x2000, kDefaultBlock.size()), kDefaultBlock);
    EXPECT_EQ(fake.calls.size(), 9u);  // no sector read through the pointer
  }
}

TEST_F(SunplusEngineTest, Chip6AHeaderPointerAtTheLastByteIsRead) {
  Header6A(0x4FDE, 0x2000);  // p + 0x21 = 20,479
  PutInFlash(0x2000, Block(12, 0x33));
  record.m_pImage[4] = 0x00;
  record.m_pImage[5] = 0x10;
  record.m_pImage[0x30] = 0x20;
  record.m_pImage[0x31] = 0x00;
  Run();
  EXPECT_EQ(Downloaded(0x2000, 12), Block(12, 0x33));
}

TEST_F(SunplusEngineTest, Chip6AImagePointerOutsideTheImageIsRefused) {
  fake.asicType = 0x6A;
  record.m_nImageSize = 0x1000;
  record.m_pImage[4] = 0x0F;  // p + 0x21 = 0x1000, the image size
  record.m_pImage[5] = 0xDF;
  Run();
  ExpectOutcome(kStateFailed, 0, kOutcomeUpdateFailed);
  EXPECT_TRUE(fake.downloaded.empty());
  EXPECT_EQ(fake.calls.back(), "Upload_Sector 4 1");
}

TEST_F(SunplusEngineTest, UnknownChipTypeEmptiesTheSerialFileAndDownloadsUnpatched) {
  fake.asicType = 0x55;
  dir.WriteFile(u"bin/SPSN.bin", "old");
  Run();
  ExpectOutcome(kStateFinished, 100, kOutcomeSuccess);
  EXPECT_TRUE(dir.Exists(u"bin/SPSN.bin"));
  EXPECT_EQ(SerialFile(), "");
  EXPECT_EQ(fake.downloaded, image);
}

TEST_F(SunplusEngineTest, FlashTypeGivesTheFlashIndex) {
  const std::map<unsigned char, int> table = {{0x79, 0}, {0x83, 0}, {0x7A, 1}, {0x7B, 2},
                                              {0x7D, 2}, {0x7F, 3}, {0x80, 4}, {0x7E, 5},
                                              {0x81, 6}, {0x82, 6}};
  for (const auto& [type, index] : table) {
    SCOPED_TRACE(type);
    TearDown();
    SetUp();
    fake.flashType = type;
    Run();
    EXPECT_EQ(fake.calls.back(), "Download_FW_Verbose 10000 " + std::to_string(index));
  }
}

TEST_F(SunplusEngineTest, FlashTypeMissingFromTheTableIsRefusedBeforeAnyRead) {
  for (const unsigned char type : {0x00, 0x78, 0x7C, 0x84, 0xFF}) {
    SCOPED_TRACE(type);
    TearDown();
    SetUp();
    fake.flashType = type;
    Run();
    ExpectOutcome(kStateFailed, 0, kOutcomeUpdateFailed);
    EXPECT_EQ(fake.calls.back(), "Get_FlashType");
  }
}

TEST_F(SunplusEngineTest, FailuresEndWithTheirStateAndCode) {
  fake.initResult = 1;
  Run();
  ExpectOutcome(kStateFailed, 0, kOutcomeUpdateFailed);
  EXPECT_EQ(fake.calls.size(), 1u);

  TearDown();
  SetUp();
  fake.downloadResult = 3;
  Run();
  ExpectOutcome(kStateFailed, 0, kOutcomeUpdateFailed);

  TearDown();
  SetUp();
  platform.libraries[u"SunplusCamera.dll"].erase("Upload_Sector");
  Run();
  ExpectOutcome(kStateLibraryMissing, 0, kOutcomeUpdateFailed);
  EXPECT_TRUE(fake.calls.empty());
}

// A failed call that says where the serial number lives or reads it leaves the camera and the
// backup of its serial number as they were: nothing is downloaded.
TEST_F(SunplusEngineTest, FailedSerialNumberReadStopsBeforeTheDownload) {
  const struct {
    const char* name;
    uint8_t asicType;
    int asicResult;
    int failingUpload;
    const char* lastCall;
    const char16_t* log;
  } cases[] = {
      {"chip type", 0x68, 1, -1, "Get_ASICType", u"Get ASIC Type Fail!\r\n"},
      {"sector 14", 0x68, 0, 14, "Upload_Sector 14 1", u"Get Serial Number Fail!\r\n"},
      {"0x6A header", 0x6A, 0, 2, "Upload_Sector 2 1", u"Get Serial Number Fail!\r\n"},
      {"0x6A block", 0x6A, 0, 3, "Upload_Sector 3 1", u"Get Serial Number Fail!\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    dir.WriteFile(u"bin/SPSN.bin", Bytes(Block(20, 0x40)));
    Header6A(0x100, 0x3010);
    fake.asicType = c.asicType;
    fake.asicResult = c.asicResult;
    fake.failingUpload = c.failingUpload;
    Run();
    ExpectOutcome(kStateFailed, 0, kOutcomeUpdateFailed);
    EXPECT_EQ(fake.calls.back(), c.lastCall);
    EXPECT_TRUE(fake.downloaded.empty());
    EXPECT_EQ(SerialFile(), Bytes(Block(20, 0x40)));
    EXPECT_EQ(LogLines(), Utf16(c.log));
  }
}

class SunplusPartTest : public SunplusEngineTest {
 protected:
  void SetUp() override {
    SunplusEngineTest::SetUp();
    record.m_bMultiImage = 1;
    record.m_nImageSize = 0;
    fake.asicType = 0x6A;
  }
  // A small part (chip type 0x6A) whose rule (b) version is version: p = 0x10, and the
  // version at q = (byte 0x26 << 8 | byte 0x27 + 14) = 0x0040 + 14.
  static std::vector<uint8_t> Part6A(uint16_t version, uint8_t fill) {
    std::vector<uint8_t> part(0x4000, fill);
    part[4] = 0x00;
    part[5] = 0x10;
    part[0x26] = 0x00;
    part[0x27] = 0x40;
    part[0x4E] = static_cast<uint8_t>(version);
    part[0x4F] = static_cast<uint8_t>(version >> 8);
    part[0x30] = 0x20;  // the block goes to 0x2000
    part[0x31] = 0x00;
    return part;
  }
  static std::vector<uint8_t> Part68() {
    std::vector<uint8_t> part(0xC000, 0x11);
    part[0xB701] = 0x12;
    return part;
  }
};

TEST_F(SunplusPartTest, FirstPartOfTheCameraChipTypeIsTaken) {
  LoadPart(1, u"big.bin", Part68());
  LoadPart(2, u"a.bin", Part6A(0x0200, 0xA1));
  LoadPart(3, u"b.bin", Part6A(0x0200, 0xB2));
  Run();
  ExpectOutcome(kStateFinished, 100, kOutcomeSuccess);
  EXPECT_EQ(g_nSelectedPart, 2);
  EXPECT_EQ(Setting(u"BIN"), u"a.bin");
  EXPECT_EQ(LogLines(), Utf16(u"Load the file [a.bin]\r\n"));
  EXPECT_EQ(fake.downloaded[0x100], 0xA1);
  EXPECT_EQ(Downloaded(0x2000, kDefaultBlock.size()), kDefaultBlock);
  EXPECT_EQ(record.m_nImageSize, 0x2000 + 32);
}

TEST_F(SunplusPartTest, PartChipTypeRules) {
  std::vector<uint8_t> part66(0xB701, 0);
  part66[0x8000] = 0x12;
  std::vector<uint8_t> part69(0xB701, 0);
  part69[0x6781] = 0x12;
  std::vector<uint8_t> big6A(0xB701, 0);
  const struct {
    unsigned char camera;
    std::vector<uint8_t> part;
    bool chosen;
  } cases[] = {
      {0x66, part66, true}, {0x68, Part68(), true}, {0x69, part69, true},
      {0x6A, big6A, true},  {0x6A, std::vector<uint8_t>(0xB700, 0), true},
      {0x69, big6A, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.camera);
    TearDown();
    SetUp();
    fake.asicType = c.camera;
    LoadPart(1, u"p.bin", c.part);
    Run();
    EXPECT_EQ(g_nSelectedPart, c.chosen ? 1 : 0);
  }
}

TEST_F(SunplusPartTest, NoMatchingPartIsReportedAndNothingIsDownloaded) {
  // An empty entry is never taken, even for a camera of the empty entry's chip type 0x6F.
  fake.asicType = 0x6F;
  LoadPart(1, u"empty.bin", {});
  LoadPart(2, u"a.bin", Part6A(0x0200, 0));
  Run();
  ExpectOutcome(kStateFailed, 100, kOutcomeNoFirmware);
  EXPECT_EQ(LogLines(), Utf16(u"**No matched binary file, skip update!\r\n"));
  EXPECT_TRUE(fake.downloaded.empty());
  EXPECT_EQ(Setting(u"BIN"), u"<none>");
}

TEST_F(SunplusPartTest, PartAtTheCameraVersionIsSkipped) {
  record.m_wBcd = 0x0321;
  LoadPart(1, u"a.bin", Part6A(0x0321, 0));
  Run();
  EXPECT_EQ(record.m_bFinished, 1);
  ExpectOutcome(kStateStarted, 100, kOutcomeSuccess);
  EXPECT_EQ(LogLines(), Utf16(u"Load the file [a.bin]\r\n**FW version is the same, skip update!\r\n"));
  EXPECT_TRUE(fake.downloaded.empty());
}

}  // namespace
}  // namespace ostrel
