// The real Windows library (Tandrel.dll of this release build) through DirectShow and kernel
// streaming on the Windows test camera, against the simulated library on the simulated
// camera: every shared scenario runs on both, and their call results and request traces must
// agree line by line. Each run's folder (world, trace, libraries) stays in the build tree. All
// of it twice: as on Windows 10 and 11 with a camera whose units follow the selector, and as on
// Windows 7 with a camera that puts another extension unit first and its two units the other
// way round.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "library_run.h"
#include "line_comparison.h"
#include "scenarios.h"

namespace platform_test {
namespace {

struct Outcome {
  std::vector<std::string> results;
  std::vector<std::string> trace;
};

Outcome RunScenario(Transport transport, const Scenario& scenario, const std::string& folderName) {
  LibraryRun run(transport, std::filesystem::path(PLATFORM_TEST_RUNS) / folderName /
                                (transport == Transport::kSimulated ? "simulated" : "ks"),
                 scenario.world);
  EXPECT_EQ(run.SetupError(), "");
  if (run.SetupError().empty()) scenario.steps(run);
  return {run.Results(), run.Trace()};
}

struct Mode {
  const char* name;
  const char* worldKeys;
  const char* zelKeys;  // added to the last camera's section: the ZEL camera of each scenario
};

// The scenario's world with the mode's keys.
Scenario InMode(Scenario scenario, const Mode& mode) {
  std::string& ini = scenario.world.iniText;
  const std::string world = "[World]\r\n";
  ini.insert(ini.find(world) + world.size(), mode.worldKeys);
  ini += mode.zelKeys;
  return scenario;
}

class TransportParity : public ::testing::TestWithParam<Mode> {};

INSTANTIATE_TEST_SUITE_P(
    Both, TransportParity,
    ::testing::Values(Mode{"Windows10", "SetupClass=Camera\r\n", ""},
                      Mode{"Windows7", "SetupClass=Image\r\n",
                           "Topology=terminal other unit1 processing unit0 streaming\r\n"}),
    [](const ::testing::TestParamInfo<Mode>& mode) { return std::string(mode.param.name); });

TEST_P(TransportParity, EveryScenarioGivesTheSameResultsAndTraceOnBothTransports) {
  const std::vector<Scenario> scenarios = SharedScenarios();
  LineCounts results;
  LineCounts traces;
  std::printf("\n%s\n", GetParam().name);
  for (size_t i = 0; i < scenarios.size(); ++i) {
    const Scenario scenario = InMode(scenarios[i], GetParam());
    SCOPED_TRACE(scenario.name);
    const std::string folder = std::string(GetParam().name) + "/" + std::to_string(i + 1);
    const Outcome simulated = RunScenario(Transport::kSimulated, scenario, folder);
    const Outcome platform = RunScenario(Transport::kKernelStreaming, scenario, folder);
    const LineCounts scenarioResults =
        CompareLines("result", "kernel streaming", simulated.results, platform.results);
    const LineCounts scenarioTrace =
        CompareLines("trace", "kernel streaming", simulated.trace, platform.trace);
    results.lines += scenarioResults.lines;
    results.differences += scenarioResults.differences;
    traces.lines += scenarioTrace.lines;
    traces.differences += scenarioTrace.differences;
    std::printf("%2zu %-42s %3zu results, %6zu trace lines, %zu differences\n", i + 1,
                scenario.name.c_str(), scenarioResults.lines, scenarioTrace.lines,
                scenarioResults.differences + scenarioTrace.differences);
  }
  std::printf("trace comparison (%s): %zu scenarios, %zu trace lines and %zu result lines compared, "
              "%zu differences\n",
              GetParam().name, scenarios.size(), traces.lines, results.lines,
              traces.differences + results.differences);
  EXPECT_EQ(traces.differences + results.differences, 0u);
}

}  // namespace
}  // namespace platform_test
