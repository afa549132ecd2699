// Where a camera puts its extension units in its topology, as kernel streaming shows them:
// each unit is the device-specific node that answers a support query for its property set,
// whatever other units sit before it and in whichever order; a driver that answers no support
// query leaves the first device-specific node and the next. The table shows each layout, a
// call on each unit and the kernel-streaming calls one open of the camera spent.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "ks_test_world.h"
#include "library_run.h"

namespace platform_test {
namespace {

struct Layout {
  const char* name;
  const char* topology;
  const char* keys;
  int unit0;  // ZelMmioRead of the chip id
  int unit1;  // NorvGetLed
};

// The lines of the KS trace, counted by kind: topology reads and support queries.
std::string KsCalls(const std::filesystem::path& trace) {
  std::ifstream file(trace);
  int topology = 0;
  int support = 0;
  for (std::string line; std::getline(file, line);) {
    if (line.rfind("SUPPORT ", 0) == 0) {
      ++support;
    } else {
      ++topology;
    }
  }
  return std::to_string(topology) + " topology reads, " + std::to_string(support) +
         " support queries";
}

TEST(KsTopology, EachUnitIsTheNodeOwningItsPropertySet) {
  const Layout layouts[] = {
      {"units after the selector", "terminal processing selector unit0 unit1 streaming", "",
       ZEL_OK, ZEL_OK},
      {"another unit first", "terminal other unit0 unit1 streaming", "", ZEL_OK, ZEL_OK},
      {"the units swapped", "terminal processing unit1 unit0 streaming", "", ZEL_OK, ZEL_OK},
      {"swapped, another unit between", "terminal unit1 other unit0 streaming", "", ZEL_OK,
       ZEL_OK},
      {"older driver, units first", "terminal unit0 unit1 streaming", "SupportQueries=0\r\n",
       ZEL_OK, ZEL_OK},
      {"older driver, another unit first", "terminal other unit0 unit1 streaming",
       "SupportQueries=0\r\n", ZEL_E_DEVICE, ZEL_E_DEVICE},
  };
  std::printf("\nextension units by topology (Tandrel.dll, Windows test camera)\n");
  std::printf("%-34s %-48s %6s %6s  %s\n", "layout", "nodes", "unit 0", "unit 1",
              "KS calls of one open");
  for (const Layout& layout : layouts) {
    SCOPED_TRACE(layout.name);
    const std::filesystem::path folder = KsRunFolder("topology") / layout.name;
    LibraryRun run(Transport::kKernelStreaming, folder,
                   OneZelCamera(std::string("Topology=") + layout.topology + "\r\n" + layout.keys,
                                "KsTrace=ks.log\r\n"));
    ASSERT_EQ(run.SetupError(), "");
    int chipId = 0;
    EXPECT_EQ(run.Tandrel().ZelMmioRead(0x06000000, &chipId), layout.unit0);
    const std::string spent = KsCalls(folder / "ks.log");
    unsigned char led = 0;
    EXPECT_EQ(run.Tandrel().NorvGetLed(&led), layout.unit1);
    std::printf("%-34s %-48s %6d %6d  %s\n", layout.name, layout.topology, layout.unit0,
                layout.unit1, spent.c_str());
  }
  std::fflush(stdout);
}

}  // namespace
}  // namespace platform_test
