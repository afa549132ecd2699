// The real Windows library (Tandrel.dll of this release build) through DirectShow and kernel
// streaming on the Windows test camera, against the simulated library on the simulated
// camera: every shared scenario runs on both, and their call results and request traces must
// agree line by line. Each run's folder (world, trace, libraries) stays in the build tree.
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

TEST(TransportParity, EveryScenarioGivesTheSameResultsAndTraceOnBothTransports) {
  const std::vector<Scenario> scenarios = SharedScenarios();
  LineCounts results;
  LineCounts traces;
  for (size_t i = 0; i < scenarios.size(); ++i) {
    const Scenario& scenario = scenarios[i];
    SCOPED_TRACE(scenario.name);
    const std::string folder = std::to_string(i + 1);
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
  std::printf("trace comparison: %zu scenarios, %zu trace lines and %zu result lines compared, "
              "%zu differences\n",
              scenarios.size(), traces.lines, results.lines,
              traces.differences + results.differences);
  EXPECT_EQ(traces.differences + results.differences, 0u);
}

}  // namespace
}  // namespace platform_test
