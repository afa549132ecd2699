#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>

#include "config_rules.h"
#include "fs/file_io.h"
#include "ini/profile_file.h"
#include "updater_fixture.h"

namespace ostrel {
namespace {

using testing::LogOf;
using testing::UsbCamera;
using testing::Utf16Le;

class ConfigurationTest : public testing::UpdaterTest {
 protected:
  void SetUp() override {
    UpdaterTest::SetUp();
    AddCamera(UsbCamera(0x0408, 0x2040, 0x0105, "2e3f1c7e"));
  }
  std::vector<uint16_t> PidList() const {
    return {record.m_pPidList.get(), record.m_pPidList.get() + record.m_nPidCount};
  }
};

TEST_F(ConfigurationTest, TwoSectionsGiveTwoPidsAndTheFirstSelectsOneImage) {
  WritePidIni({"[PID_2040]", "CHIP=3", "BIN=fw.bin", "[PID_0A1B]", "CHIP=1", "BIN=other.bin"});
  InitSilent();
  EXPECT_EQ(PidList(), (std::vector<uint16_t>{0x2040, 0x0A1B}));
  EXPECT_EQ(record.m_nChipVendor, 3);
  EXPECT_EQ(std::u16string(record.m_szBinName), u"fw.bin");
  EXPECT_EQ(record.m_strImagePath, dir.File(u"bin/fw.bin"));
  EXPECT_EQ(record.m_bMultiImage, 0);
}

TEST_F(ConfigurationTest, MissingBinSelectsThePartsThatExist) {
  WritePidIni({"[PID_2040]", "CHIP=3", "[P1D_2040]", "BIN=a.bin", "CHIP=3", "[P3D_2040]",
               "BIN=c.bin", "CHIP=3"});
  WriteBinFile(u"a.bin", std::string(100, 'a'));
  WriteBinFile(u"c.bin", std::string(300, 'c'));
  InitSilent();
  EXPECT_EQ(g_bReadyToUpdate, 1);
  EXPECT_EQ(record.m_bMultiImage, 1);
  EXPECT_EQ(record.m_nChipVendor, 3);
  // The name field ends with what part 4's BIN read left there: its default.
  EXPECT_EQ(std::u16string(record.m_szBinName), kBinSentinel);
  EXPECT_EQ(std::u16string(g_szPartBinName[1]), u"a.bin");
  EXPECT_EQ(std::u16string(g_szPartBinName[2]), kBinSentinel);
  EXPECT_EQ(std::u16string(g_szPartBinName[3]), u"c.bin");
  EXPECT_EQ(std::u16string(g_szPartBinName[4]), kBinSentinel);
  EXPECT_EQ(g_nPartImageSize[1], 100);
  EXPECT_EQ(g_nPartImageSize[3], 300);
  EXPECT_EQ(g_pPartImage[1][99], 'a');
  EXPECT_EQ(g_pPartImage[2], nullptr);
  EXPECT_EQ(g_pPartImage[4], nullptr);
}

TEST_F(ConfigurationTest, LooseSentinelSelectsPartsAndTheLastPartNamesTheVendor) {
  WritePidIni({"[PID_2040]", "CHIP=1", "BIN=OOOXXXOOO_XXX", "[P2D_2040]", "BIN=b.bin", "CHIP=3",
               "[P4D_2040]", "BIN=d.bin"});
  WriteBinFile(u"b.bin", "b");
  WriteBinFile(u"d.bin", "d");
  InitSilent();
  EXPECT_EQ(record.m_bMultiImage, 1);
  // P4D_2040 has no CHIP: its default "SF.bin" is left in the name field and reads as 0.
  EXPECT_EQ(record.m_nChipVendor, 0);
  EXPECT_EQ(std::u16string(record.m_szBinName), u"SF.bin");
}

TEST_F(ConfigurationTest, MissingChipGivesVendorZero) {
  WritePidIni({"[PID_2040]", "BIN=fw.bin"});
  InitSilent();
  EXPECT_EQ(record.m_nChipVendor, 0);
  EXPECT_EQ(std::u16string(record.m_szBinName), u"fw.bin");
  EXPECT_EQ(g_bReadyToUpdate, 1);
}

TEST_F(ConfigurationTest, NineCharacterSectionNameShiftsLaterSlots) {
  WritePidIni({"[PID_20401]", "CHIP=3", "BIN=x.bin", "[PID_2040]", "CHIP=4", "BIN=fw.bin"});
  InitSilent();
  EXPECT_EQ(PidList(), (std::vector<uint16_t>{0x2040, 0xFFFF}));
  // The camera matches the first slot, whose digits name the section PID_2040.
  EXPECT_EQ(record.m_nPidIndex, 0);
  EXPECT_EQ(record.m_nChipVendor, 4);
  EXPECT_EQ(std::u16string(record.m_szBinName), u"fw.bin");
}

TEST_F(ConfigurationTest, SectionNamesBeyondTheThousandCharacterBufferAreNotSeen) {
  std::string ini;
  for (int i = 0; i < 120; ++i) {
    char section[32];
    std::snprintf(section, sizeof section, "[PID_%04X]\r\nCHIP=2\r\n", 0x1000 + i);
    ini += section;
  }
  dir.WriteFile(u"pid.ini", ini);
  InitSilent();
  // 998 characters copied: 110 whole slots.
  EXPECT_EQ(record.m_nPidCount, 110);
  EXPECT_EQ(PidList().back(), 0x1000 + 109);
}

TEST_F(ConfigurationTest, MissingPidIniGivesNoPids) {
  InitSilent();
  EXPECT_EQ(record.m_nPidCount, 0);
  EXPECT_EQ(record.m_pPidList, nullptr);
  EXPECT_EQ(g_nExitCode, kOutcomeNoFirmware);
}

TEST_F(ConfigurationTest, PartImagesUpToTheirBufferAreLoadedLargerOnesSkipped) {
  InitSilent();
  const struct {
    const char16_t* name;
    size_t size;  // SIZE_MAX: no such file
    int result;
    int32_t storedSize;
  } cases[] = {
      {u"max.bin", 65536, 1, 65536},
      {u"over.bin", 65537, 0, 0},
      {u"empty.bin", 0, 0, 0},
      {u"one.bin", 1, 1, 1},
      {u"missing.bin", SIZE_MAX, 1, 0},
  };
  for (const auto& c : cases) {
    if (c.size != SIZE_MAX) WriteBinFile(c.name, std::string(c.size, 'x'));
    EXPECT_EQ(record.LoadPartImage(2, dir.File(std::u16string(u"bin/") + c.name)), c.result)
        << c.size;
    EXPECT_EQ(g_nPartImageSize[2], c.storedSize);
    EXPECT_EQ(g_pPartImage[2] != nullptr, c.storedSize > 0);
  }
  EXPECT_EQ(record.LoadPartImage(0, dir.File(u"bin/one.bin")), 0);
  EXPECT_EQ(record.LoadPartImage(5, dir.File(u"bin/one.bin")), 0);
}

TEST_F(ConfigurationTest, NoUsablePartFailsTheSelection) {
  WritePidIni({"[PID_2040]", "[P1D_2040]", "BIN=big.bin", "CHIP=3", "[P2D_2040]", "BIN=e.bin"});
  WriteBinFile(u"big.bin", std::string(65537, 'x'));
  WriteBinFile(u"e.bin", "");
  InitSilent();
  EXPECT_EQ(g_nExitCode, kOutcomeLoadFailed);
  EXPECT_EQ(g_bReadyToUpdate, 0);
  EXPECT_EQ(Log(), LogOf({u"Camera vid=0x0408, pid=0x2040, bcd=0x0105.\r\n",
                          u"Load special file fail.\r\n"}));
}

TEST_F(ConfigurationTest, SelectionOfAnIndexOutsideTheListFails) {
  WritePidIni({"[PID_2040]", "CHIP=3", "BIN=fw.bin"});
  InitSilent();
  EXPECT_EQ(record.SelectFirmware(-1), 1);
  EXPECT_EQ(record.SelectFirmware(1), 1);
  EXPECT_EQ(record.SelectFirmware(0), 0);
}

TEST_F(ConfigurationTest, WriteBackSavesVendorAndInSingleImageModeTheName) {
  WritePidIni({"[PID_2040]", "CHIP=3", "BIN=fw.bin"});
  InitSilent();
  record.WriteBackSettings();
  EXPECT_EQ(dir.ReadFile(u"bin/Ostrel_sp.ini"), "[SETTING]\r\nCHIP=3\r\nBIN=fw.bin\r\n");
  record.m_bMultiImage = 1;
  record.m_nChipVendor = 4;
  record.WriteBackSettings();
  EXPECT_EQ(dir.ReadFile(u"bin/Ostrel_sp.ini"), "[SETTING]\r\nCHIP=4\r\nBIN=fw.bin\r\n");
}

// What may stand where a configuration file is expected and must not be read: each is
// logged and read as an empty file, and the settings file is not replaced.
enum class Unreadable { OverTheLimit, Folder, Fifo, DevZero };

class UnreadableConfigTest : public ConfigurationTest,
                             public ::testing::WithParamInterface<Unreadable> {
 protected:
  void Make(const std::u16string& relative) const {
    switch (GetParam()) {
      case Unreadable::OverTheLimit: {
        // Both files' sections, so that reading it at all would show.
        const std::string start =
            "[PID_2040]\r\nCHIP=3\r\nBIN=fw.bin\r\n[SETTING]\r\nCHIP=3\r\nBIN=fw.bin\r\n;";
        dir.WriteFile(relative, start + std::string(profile::kMaxFileBytes + 1 - start.size(), 'x'));
        break;
      }
      case Unreadable::Folder:
        dir.MakeFolder(relative);
        break;
#ifndef _WIN32
      case Unreadable::Fifo:
        dir.MakeFifo(relative);
        break;
      case Unreadable::DevZero:
        dir.MakeLink(relative, "/dev/zero");
        break;
#else
      default:
        break;
#endif
    }
  }
  bool LogHasIgnored(const std::u16string& relative) const {
    const std::string line = Utf16Le(u"Config file[" + dir.File(relative) +
                                     u"] is not a regular file of at most 1 MiB, ignored.\r\n");
    return Log().find(line) != std::string::npos;
  }
};

TEST_P(UnreadableConfigTest, PidIniGivesNoPids) {
  Make(u"pid.ini");
  InitSilent();
  EXPECT_EQ(record.m_nPidCount, 0);
  EXPECT_EQ(g_nExitCode, kOutcomeNoFirmware);
  EXPECT_TRUE(LogHasIgnored(u"pid.ini"));
}

TEST_P(UnreadableConfigTest, SettingsFileIsNeitherReadNorReplaced) {
  WritePidIni({"[PID_2040]", "CHIP=3", "BIN=fw.bin"});
  Make(u"bin/Ostrel_sp.ini");
  const fs::FileInfo before = fs::Inspect(dir.File(u"bin/Ostrel_sp.ini"));
  InitSilent();
  record.ReadBootRomSettings();
  EXPECT_EQ(record.m_nChipVendor, 0);
  EXPECT_EQ(std::u16string(record.m_szBinName), u"");
  record.WriteBackSettings();
  const fs::FileInfo after = fs::Inspect(dir.File(u"bin/Ostrel_sp.ini"));
  EXPECT_EQ(after.kind, before.kind);
  EXPECT_EQ(after.size, before.size);
  EXPECT_TRUE(LogHasIgnored(u"bin/Ostrel_sp.ini"));
}

constexpr Unreadable kUnreadableKinds[] = {
    Unreadable::OverTheLimit,
    Unreadable::Folder,
#ifndef _WIN32
    Unreadable::Fifo,
    Unreadable::DevZero,
#endif
};

std::string UnreadableName(const ::testing::TestParamInfo<Unreadable>& info) {
  static const char* const kNames[] = {"OverTheLimit", "Folder", "Fifo", "DevZero"};
  return kNames[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Configuration, UnreadableConfigTest, ::testing::ValuesIn(kUnreadableKinds),
                         UnreadableName);

}  // namespace
}  // namespace ostrel
