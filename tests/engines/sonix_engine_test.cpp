// The SONIX engine against an in-test BurnerApLib: calls in order, the protection address
// table, part choice, and the state, progress, code and log line of every failure.
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine_fixture.h"
#include "engines/engines.h"
#include "vendor_api/burner_ap_lib.h"

namespace ostrel {
namespace {

// What the fake library answers and what it saw; one test at a time uses it.
struct FakeBurner {
  int initResult = 1;
  std::string romVersion = "000RO";
  char romByte5 = 1;
  unsigned short sectorTable = 0x1200;
  unsigned char chipByte = 0x45;
  std::vector<uint8_t> flash = std::vector<uint8_t>(0x10000, 0xFF);
  std::set<std::string> failing;  // protect-off, protect-on, serial, erase, burn, read-back
  int stuckAddress = -1;
  uint8_t stuckValue = 0;
  std::vector<std::string> calls;

  void Call(const char* format, unsigned a = 0, unsigned b = 0, unsigned c = 0) {
    char line[96];
    std::snprintf(line, sizeof line, format, a, b, c);
    calls.push_back(line);
  }
  bool Has(const std::string& call) const {
    return std::find(calls.begin(), calls.end(), call) != calls.end();
  }
};
FakeBurner* g_fake = nullptr;

// The serial number GetSerialNum places into the burn buffer.
constexpr uint32_t kSerialAt = 0x1000;
constexpr uint8_t kSerialMark = 0x5A;

int Initialize(unsigned short vid, unsigned short pid) {
  g_fake->Call("Initialize_DriverInterface %04x %04x", vid, pid);
  return g_fake->initResult;
}
bool ReqToDriver(unsigned char command, unsigned int address, unsigned char* buffer,
                 unsigned long length) {
  g_fake->Call("ReqToDriver %u %x %lx", command, address, static_cast<unsigned>(length));
  auto& flash = g_fake->flash;
  if (command == burner_ap_lib::kCommandWrite) {
    if (g_fake->failing.count("burn")) return false;
    std::copy(buffer, buffer + length, flash.begin() + address);
    return true;
  }
  if (length == 0x10000 && g_fake->failing.count("read-back")) return false;
  std::copy(flash.begin() + address, flash.begin() + address + length, buffer);
  const long stuck = g_fake->stuckAddress - static_cast<long>(address);
  if (stuck >= 0 && stuck < static_cast<long>(length)) buffer[stuck] = g_fake->stuckValue;
  return true;
}
bool GetRomVersion(char* version) {
  g_fake->Call("GetRomVersion");
  std::strncpy(version, g_fake->romVersion.c_str(), burner_ap_lib::kRomVersionBytes - 1);
  version[5] = g_fake->romByte5;
  return true;
}
bool GetSectorTableAddr(unsigned short* address) {
  g_fake->Call("GetSectorTableAddr");
  *address = g_fake->sectorTable;
  return true;
}
bool ProcReadFromAsic(unsigned short address, unsigned char* buffer) {
  g_fake->Call("ProcReadFromASIC %x", address);
  buffer[0] = g_fake->chipByte;
  return true;
}
bool SetWriteProtect(bool protect, unsigned short& word, unsigned char& byte) {
  g_fake->Call("SetWriteProtect %u %x %x", protect, word, byte);
  return !g_fake->failing.count(protect ? "protect-on" : "protect-off");
}
bool GetSerialNum(unsigned char* buffer, unsigned long length) {
  g_fake->Call("GetSerialNum %lx", static_cast<unsigned>(length));
  if (g_fake->failing.count("serial")) return false;
  buffer[kSerialAt] = kSerialMark;
  return true;
}
bool EraseSf() {
  g_fake->Call("EraseSF");
  if (g_fake->failing.count("erase")) return false;
  std::fill(g_fake->flash.begin(), g_fake->flash.end(), 0xFF);
  return true;
}
int ResetDevice() {
  g_fake->Call("ResetDevice");
  return 1;
}
bool UnInitialize() {
  g_fake->Call("UnInitialize_DriverInterface");
  return true;
}

// Checked here so that a change of a declared type shows up as a build failure.
const std::map<std::string, void*> kExports = {
    {"Initialize_DriverInterface",
     reinterpret_cast<void*>(burner_ap_lib::InitializeDriverInterfaceFn{&Initialize})},
    {"ReqToDriver", reinterpret_cast<void*>(burner_ap_lib::ReqToDriverFn{&ReqToDriver})},
    {"GetRomVersion", reinterpret_cast<void*>(burner_ap_lib::GetRomVersionFn{&GetRomVersion})},
    {"GetSectorTableAddr",
     reinterpret_cast<void*>(burner_ap_lib::GetSectorTableAddrFn{&GetSectorTableAddr})},
    {"ProcReadFromASIC",
     reinterpret_cast<void*>(burner_ap_lib::ProcReadFromAsicFn{&ProcReadFromAsic})},
    {"SetWriteProtect",
     reinterpret_cast<void*>(burner_ap_lib::SetWriteProtectFn{&SetWriteProtect})},
    {"GetSerialNum", reinterpret_cast<void*>(burner_ap_lib::GetSerialNumFn{&GetSerialNum})},
    {"EraseSF", reinterpret_cast<void*>(burner_ap_lib::EraseSfFn{&EraseSf})},
    {"ResetDevice", reinterpret_cast<void*>(burner_ap_lib::ResetDeviceFn{&ResetDevice})},
    {"UnInitialize_DriverInterface",
     reinterpret_cast<void*>(burner_ap_lib::UnInitializeDriverInterfaceFn{&UnInitialize})},
};

// An image of the size whose SONIX version (offset 0x20A with byte 0x168 = 2) is version.
std::vector<uint8_t> SonixImage(size_t size, uint16_t version) {
  std::vector<uint8_t> image(size);
  for (size_t i = 0; i < size; ++i) image[i] = static_cast<uint8_t>(i * 13 + 1);
  image[0x168] = 0x02;
  image[0x20A] = static_cast<uint8_t>(version >> 8);
  image[0x20B] = static_cast<uint8_t>(version);
  return image;
}

class SonixEngineTest : public testing::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    fake = FakeBurner{};
    g_fake = &fake;
    platform.libraries[u"BurnerApLib.dll"] = kExports;
    record.m_wVid = 0x0C45;
    record.m_wPid = 0x6366;
    record.m_wBcd = 0x0100;
    UseImage(SonixImage(0x10000, 0x0101));
  }
  void TearDown() override {
    g_fake = nullptr;
    EngineTest::TearDown();
  }
  void UseImage(const std::vector<uint8_t>& image) {
    std::copy(image.begin(), image.end(), record.m_pImage.get());
    record.m_nImageSize = static_cast<int32_t>(image.size());
  }
  void Run() { EXPECT_EQ(RunSonixUpdate(record), 0u); }

  FakeBurner fake;
};

TEST_F(SonixEngineTest, SuccessBurnsTheImageWithTheSerialAndRestoresTheProtection) {
  Run();
  ExpectOutcome(kStateFinished, 100, kOutcomeSuccess);
  EXPECT_EQ(fake.calls, (std::vector<std::string>{
                            "Initialize_DriverInterface 0c45 6366", "GetRomVersion",
                            "ReqToDriver 7 8034 1", "SetWriteProtect 0 ffff ff",
                            "GetSerialNum 10000", "EraseSF", "ReqToDriver 6 0 10000",
                            "ReqToDriver 7 0 10000", "SetWriteProtect 1 ffff ff", "ResetDevice",
                            "UnInitialize_DriverInterface"}));
  std::vector<uint8_t> expected = SonixImage(0x10000, 0x0101);
  expected[kSerialAt] = kSerialMark;
  EXPECT_EQ(fake.flash, expected);
  EXPECT_EQ(LogLines(), "");
  EXPECT_EQ(g_nSelectedPart, 0);
}

TEST_F(SonixEngineTest, ShortImageIsPaddedWithErasedBytes) {
  UseImage(SonixImage(0x400, 0x0101));
  Run();
  ExpectOutcome(kStateFinished, 100, kOutcomeSuccess);
  std::vector<uint8_t> expected = SonixImage(0x400, 0x0101);
  expected.resize(0x10000, 0xFF);
  expected[kSerialAt] = kSerialMark;
  EXPECT_EQ(fake.flash, expected);
}

TEST_F(SonixEngineTest, ImageLongerThanTheFlashBurnsItsFirst64KiB) {
  UseImage(SonixImage(0x18000, 0x0101));
  Run();
  ExpectOutcome(kStateFinished, 100, kOutcomeSuccess);
  EXPECT_TRUE(fake.Has("ReqToDriver 6 0 10000"));
}

TEST_F(SonixEngineTest, EveryFailingStepEndsWithItsLogLineAndProgress) {
  const struct {
    const char* step;
    const char16_t* line;
    uint8_t progress;
  } cases[] = {
      {"protect-off", u"Set write protect error!\r\n", 0},
      {"serial", u"Get Serial Number Fail!\r\n", 0},
      {"erase", u"Erase Fail!\r\n", 20},
      {"burn", u"Burn Process Fail!\r\n", 40},
      {"read-back", u"Verify Process Fail!\r\n", 80},
      {"protect-on", u"", 80},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.step);
    TearDown();
    SetUp();
    fake.failing = {c.step};
    Run();
    ExpectOutcome(kStateFailed, c.progress, kOutcomeUpdateFailed);
    EXPECT_EQ(LogLines(), Utf16(c.line));
    // The failure paths leave the library as it is.
    EXPECT_FALSE(fake.Has("UnInitialize_DriverInterface"));
    EXPECT_FALSE(fake.Has("ResetDevice"));
  }
}

TEST_F(SonixEngineTest, InitFailureTouchesNothingElse) {
  fake.initResult = 0;
  Run();
  ExpectOutcome(kStateFailed, 0, kOutcomeUpdateFailed);
  EXPECT_EQ(LogLines(), Utf16(u"Init SONIX camera module error!\r\n"));
  EXPECT_EQ(fake.calls.size(), 1u);
}

TEST_F(SonixEngineTest, FirstDifferingByteIsLoggedInLowerCaseHexWithoutLeadingZeros) {
  UseImage(SonixImage(0x10000, 0x0101));
  record.m_pImage[0x1234] = 0x12;
  fake.stuckAddress = 0x1234;
  fake.stuckValue = 0xFF;
  Run();
  ExpectOutcome(kStateFailed, 80, kOutcomeUpdateFailed);
  EXPECT_EQ(LogLines(), Utf16(u"Error! SF Data[1234]=ff , Buffer[1234]=12\r\n"));
  EXPECT_FALSE(fake.Has("SetWriteProtect 1 ffff ff"));
}

TEST_F(SonixEngineTest, MissingLibraryOrExportEndsAsLibraryMissing) {
  platform.libraries.clear();
  Run();
  ExpectOutcome(kStateLibraryMissing, 0, kOutcomeUpdateFailed);

  TearDown();
  SetUp();
  platform.libraries[u"BurnerApLib.dll"].erase("EraseSF");
  Run();
  ExpectOutcome(kStateLibraryMissing, 0, kOutcomeUpdateFailed);
  EXPECT_TRUE(fake.calls.empty());
}

TEST_F(SonixEngineTest, StdcallDecoratedExportsAreFoundByTheirArgumentBytes) {
  // A stdcall library exports "_Name@N", N the bytes of its arguments, 4 for each.
  const std::map<std::string, std::string> decorated = {
      {"Initialize_DriverInterface", "_Initialize_DriverInterface@8"},
      {"ReqToDriver", "_ReqToDriver@16"},
      {"GetRomVersion", "_GetRomVersion@4"},
      {"GetSectorTableAddr", "_GetSectorTableAddr@4"},
      {"ProcReadFromASIC", "_ProcReadFromASIC@8"},
      {"SetWriteProtect", "_SetWriteProtect@12"},
      {"GetSerialNum", "_GetSerialNum@8"},
      {"EraseSF", "_EraseSF@0"},
      {"ResetDevice", "_ResetDevice@0"},
      {"UnInitialize_DriverInterface", "_UnInitialize_DriverInterface@0"},
  };
  const auto exportUnder = [this](const std::string& name, const std::string& decoratedName) {
    std::map<std::string, void*>& exports = platform.libraries[u"BurnerApLib.dll"];
    exports[decoratedName] = exports.at(name);
    exports.erase(name);
  };
  for (const auto& [name, decoratedName] : decorated) exportUnder(name, decoratedName);
  Run();
  ExpectOutcome(kStateFinished, 100, kOutcomeSuccess);
  EXPECT_TRUE(fake.Has("UnInitialize_DriverInterface"));

  // A byte count that does not match the declared arguments is another function.
  TearDown();
  SetUp();
  exportUnder("ReqToDriver", "_ReqToDriver@12");
  Run();
  ExpectOutcome(kStateLibraryMissing, 0, kOutcomeUpdateFailed);
  EXPECT_TRUE(fake.calls.empty());
  EXPECT_EQ(LogLines(), "");
}

TEST_F(SonixEngineTest, ProtectionAddressFollowsTheRomVersionTable) {
  // Chip rows read 256 x (byte at the sector table + 8) + 0x34: 0x45 gives 0x4534.
  const struct {
    const char* rom;
    char byte5;
    unsigned address;
    bool fromChip;
  } cases[] = {
      {"231RO", 2, 0x000F, false}, {"231RO", 1, 0x8034, false}, {"232RO", 1, 0xC034, false},
      {"275RO", 1, 0xC034, false}, {"276RO", 1, 0xC034, false}, {"290RO", 1, 0xC034, false},
      {"232RO", 2, 0x4534, true},  {"232RX", 2, 0x4534, true},  {"232Q", 2, 0x8034, false},
      {"286RO", 1, 0x4534, true},  {"288RO", 1, 0x4534, true},  {"289RO", 1, 0x4534, true},
      {"270RO", 1, 0x4534, true},  {"271RO", 1, 0x4534, true},  {"286RO", 2, 0x8034, false},
      {"290RO", 2, 0x8034, false}, {"ABCDE", 1, 0x8034, false}, {"", 0, 0x8034, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.rom) + " byte5=" + std::to_string(c.byte5));
    TearDown();
    SetUp();
    fake.romVersion = c.rom;
    fake.romByte5 = c.byte5;
    Run();
    char read[32];
    std::snprintf(read, sizeof read, "ReqToDriver 7 %x 1", c.address);
    EXPECT_TRUE(fake.Has(read));
    EXPECT_EQ(fake.Has("ProcReadFromASIC 1208"), c.fromChip);
    EXPECT_EQ(fake.Has("GetSectorTableAddr"), c.fromChip);
  }
}

TEST_F(SonixEngineTest, ChipProtectionAddressIsKeptTo16Bits) {
  fake.romVersion = "232RO";
  fake.romByte5 = 2;
  fake.chipByte = 0xFF;
  fake.sectorTable = 0xFFFC;  // T + 8 wraps as well
  Run();
  EXPECT_TRUE(fake.Has("ProcReadFromASIC 4"));
  EXPECT_TRUE(fake.Has("ReqToDriver 7 ff34 1"));
}

class SonixPartTest : public SonixEngineTest {
 protected:
  void SetUp() override {
    SonixEngineTest::SetUp();
    record.m_bMultiImage = 1;
    record.m_nImageSize = 0;
  }
  // A part image carrying the identity: letter, then bytes 1 to 4.
  static std::vector<uint8_t> Part(uint8_t letter, uint8_t byte3, uint8_t byte4,
                                   uint16_t version = 0x0101) {
    std::vector<uint8_t> image = SonixImage(0x8000, version);
    image[0x150] = letter;
    image[0x153] = byte3;
    image[0x154] = byte4;
    return image;
  }
  void CameraIdentity(uint8_t letter, uint8_t byte3, uint8_t byte4) {
    fake.flash[0x150] = letter;
    fake.flash[0x153] = byte3;
    fake.flash[0x154] = byte4;
  }
};

TEST_F(SonixPartTest, PartIsChosenByIdentityLetterAndByte) {
  const struct {
    uint8_t letter, byte3, byte4;
    int part;
  } cases[] = {
      {'S', 0, 7, 2},  // S compares byte 4
      {'L', 9, 0, 3},  // L compares byte 3
      {'S', 9, 9, 0},
      {'X', 9, 7, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.part);
    TearDown();
    SetUp();
    const std::vector<uint8_t> parts[] = {{}, Part('S', 0, 6), Part('S', 0, 7), Part('L', 9, 7),
                                          Part('S', 0, 7)};
    const char16_t* names[] = {u"", u"p1.bin", u"p2.bin", u"p3.bin", u"p4.bin"};
    for (int n = 1; n <= kPartCount; ++n) LoadPart(n, names[n], parts[n]);
    CameraIdentity(c.letter, c.byte3, c.byte4);
    Run();
    EXPECT_EQ(g_nSelectedPart, c.part);
    EXPECT_TRUE(fake.Has("ReqToDriver 7 150 5"));
    if (c.part == 0) {
      // Reported to the supervision as a failure as well as by the code.
      ExpectOutcome(kStateFailed, 100, kOutcomeNoFirmware);
      EXPECT_EQ(Setting(u"BIN"), u"<none>");
      EXPECT_FALSE(fake.Has("SetWriteProtect 0 ffff ff"));
      EXPECT_FALSE(fake.Has("EraseSF"));
    } else {
      ExpectOutcome(kStateFinished, 100, kOutcomeSuccess);
      EXPECT_EQ(Setting(u"BIN"), g_szPartBinName[c.part]);
      std::vector<uint8_t> expected = parts[c.part];
      expected.resize(0x10000, 0xFF);
      expected[kSerialAt] = kSerialMark;
      EXPECT_EQ(fake.flash, expected);
    }
  }
}

TEST_F(SonixPartTest, EmptyOrShortPartEntriesAreNeverUsed) {
  LoadPart(1, u"empty.bin", {});
  g_pPartImage[1][0x150] = 'S';  // a stale byte behind an empty entry
  g_pPartImage[1][0x154] = 7;
  LoadPart(2, u"short.bin", std::vector<uint8_t>(0x154, 'S'));
  LoadPart(3, u"p3.bin", Part('S', 0, 7));
  CameraIdentity('S', 0, 7);
  Run();
  EXPECT_EQ(g_nSelectedPart, 3);
}

TEST_F(SonixPartTest, PartAtTheCameraVersionEndsUpToDateWithoutErasing) {
  record.m_wBcd = 0x0123;
  LoadPart(1, u"p1.bin", Part('L', 4, 0, 0x0123));
  CameraIdentity('L', 4, 0);
  Run();
  EXPECT_EQ(record.m_bFinished, 1);
  ExpectOutcome(kStateStarted, 100, kOutcomeSuccess);
  EXPECT_EQ(LogLines(), Utf16(u"**FW version is the same, skip update!\r\n"));
  EXPECT_FALSE(fake.Has("EraseSF"));
  EXPECT_TRUE(fake.Has("SetWriteProtect 0 ffff ff"));
  EXPECT_FALSE(fake.Has("UnInitialize_DriverInterface"));
}

}  // namespace
}  // namespace ostrel
