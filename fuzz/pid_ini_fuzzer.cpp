// pid.ini selection as the updater does it, on any pid.ini: the product-id list from the
// section names, then the firmware of every listed section (one image, or the part images
// behind the BIN sentinel), with a few images in the bin folder for the file names to find.
#include <algorithm>
#include <cstdint>
#include <string>

#include "config_rules.h"
#include "fake_platform.h"
#include "fuzz_input.h"
#include "text/hex4.h"
#include "update_record.h"

namespace {

using fuzz::Check;
using ostrel::CVarnelCameraDlg;

struct ProgramFolder {
  ProgramFolder() {
    folder.MakeFolder(u"bin");
    folder.WriteFile(u"bin/a.bin", std::string(100, 'a'));
    folder.WriteFile(u"bin/b.bin", std::string(ostrel::kPartImageBytes, 'b'));
    folder.WriteFile(u"bin/big.bin", std::string(ostrel::kPartImageBytes + 1, 'c'));
    folder.WriteFile(u"bin/empty.bin", "");
  }
  ostrel::testing::ScratchDir folder;
  ostrel::testing::FakePlatform platform{folder};
};

ProgramFolder& Program() {
  static ProgramFolder program;
  return program;
}

bool EndsInNul(const char16_t* text, size_t capacity) {
  return std::find(text, text + capacity, u'\0') != text + capacity;
}

void ClearParts() {
  for (int n = 0; n <= ostrel::kPartCount; ++n) {
    ostrel::g_pPartImage[n].reset();
    ostrel::g_nPartImageSize[n] = 0;
    ostrel::g_szPartBinName[n][0] = u'\0';
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ProgramFolder& program = Program();
  program.folder.WriteFile(u"pid.ini", std::string(reinterpret_cast<const char*>(data), size));
  ClearParts();
  CVarnelCameraDlg record(program.platform);
  record.m_strPidIni = program.folder.File(u"pid.ini");

  record.ReadPidList();
  Check(record.m_nPidCount >= 0 &&
            static_cast<size_t>(record.m_nPidCount) <= ostrel::kSectionNameChars / ostrel::kSectionSlotChars,
        "the product-id list holds whole slots of the name buffer");
  for (int i = 0; i < record.m_nPidCount; ++i) {
    Check(record.m_pPidList[i] ==
              text::ParseHex4(record.m_szSectionNames + ostrel::kSectionSlotChars * i + 4),
          "each product id is its slot's four digits");
  }

  // As many sections as the runs reach; every one selects from a fresh record state.
  for (int index = -1; index <= std::min(record.m_nPidCount, 8); ++index) {
    record.m_bMultiImage = 0;
    const int result = record.SelectFirmware(index);
    Check(result == 0 || result == 1, "selection gives 0 or 1");
    Check((index >= 0 && index < record.m_nPidCount) || result == 1,
          "an index outside the list selects nothing");
    Check(EndsInNul(record.m_szBinName, ostrel::kNameChars), "the image name is terminated");
    for (int n = 1; n <= ostrel::kPartCount; ++n) {
      Check(EndsInNul(ostrel::g_szPartBinName[n], ostrel::kNameChars), "part names are terminated");
      Check(ostrel::g_nPartImageSize[n] >= 0 &&
                static_cast<uint32_t>(ostrel::g_nPartImageSize[n]) <= ostrel::kPartImageBytes,
            "a loaded part fits its buffer");
      Check((ostrel::g_pPartImage[n] != nullptr) == (ostrel::g_nPartImageSize[n] > 0),
            "a part has bytes exactly when it has a buffer");
    }
  }
  return 0;
}
