// The real Linux library (libtandrel.so of this build) through uvcvideo on the kernel bench's
// cameras, against the simulated library on the simulated camera: every shared scenario but
// those that need the camera's auto-update notification runs on both, and their call results
// must be equal and their request traces agree line by line (line_comparison.h names the ways
// a driver may send a request otherwise). Runs inside the bench's virtual machine;
// KERNEL_BENCH_RUNS names the folder for the runs.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "library_run.h"
#include "line_comparison.h"
#include "scenarios.h"

namespace platform_test {
namespace {

struct Outcome {
  std::vector<std::string> results;
  std::vector<std::string> trace;
  double seconds = 0;  // the steps alone, without the cameras' enumeration
};

Outcome RunScenario(Transport transport, const Scenario& scenario, const std::string& folderName) {
  const char* runs = std::getenv("KERNEL_BENCH_RUNS");
  World world = scenario.world;
  // The camera stays on the bus through its chip reset, as the simulated one does, so that
  // the requests after it compare; the bench's ostrel scenarios let it re-enumerate.
  world.iniText += "ReenumerateOnReset=0\r\n";
  LibraryRun run(transport, std::filesystem::path(runs != nullptr ? runs : "runs") / folderName /
                                (transport == Transport::kSimulated ? "simulated" : "v4l2"),
                 world);
  EXPECT_EQ(run.SetupError(), "");
  const auto start = std::chrono::steady_clock::now();
  if (run.SetupError().empty()) scenario.steps(run);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  return {run.Results(), run.Trace(), took.count()};
}

TEST(KernelTransportParity, EveryScenarioGivesTheSameResultsAndTraceThroughUvcvideo) {
  const std::vector<Scenario> scenarios = SharedScenarios();
  LineCounts results;
  TraceCounts traces;
  size_t ran = 0;
  for (size_t i = 0; i < scenarios.size(); ++i) {
    const Scenario& scenario = scenarios[i];
    SCOPED_TRACE(scenario.name);
    if (scenario.cameraEvents) {
      std::printf("%2zu %-42s not run: uvcvideo passes no extension-unit event\n", i + 1,
                  scenario.name.c_str());
      continue;
    }
    ++ran;
    const std::string folder = std::to_string(i + 1);
    const Outcome simulated = RunScenario(Transport::kSimulated, scenario, folder);
    const Outcome platform = RunScenario(Transport::kV4l2, scenario, folder);
    const LineCounts scenarioResults =
        CompareLines("result", "uvcvideo", simulated.results, platform.results);
    const TraceCounts scenarioTrace = CompareTraces("uvcvideo", simulated.trace, platform.trace);
    results.lines += scenarioResults.lines;
    results.differences += scenarioResults.differences;
    traces.lines += scenarioTrace.lines;
    traces.differences += scenarioTrace.differences;
    traces.knownLengths += scenarioTrace.knownLengths;
    traces.refused += scenarioTrace.refused;
    traces.afterLeaving += scenarioTrace.afterLeaving;
    std::printf("%2zu %-42s %3zu results, %6zu trace lines, %5zu known lengths, %zu differences, "
                "%.1f s\n",
                i + 1, scenario.name.c_str(), scenarioResults.lines, scenarioTrace.lines,
                scenarioTrace.knownLengths, scenarioResults.differences + scenarioTrace.differences,
                platform.seconds);
    std::fflush(stdout);
  }
  std::printf("trace comparison on the real driver: %zu scenarios, %zu trace lines and %zu result "
              "lines compared, %zu differences; not sent: %zu size probes of a known length, %zu "
              "requests the descriptors rule out, %zu requests after the camera left\n",
              ran, traces.lines, results.lines, traces.differences + results.differences,
              traces.knownLengths, traces.refused, traces.afterLeaving);
  EXPECT_EQ(traces.differences + results.differences, 0u);
}

}  // namespace
}  // namespace platform_test
