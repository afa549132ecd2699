// The real Linux library (libtandrel.so of this build) through uvcvideo on the kernel bench's
// cameras, against the simulated library on the simulated camera: every shared scenario but
// those that need the camera's auto-update notification runs on both, and their call results
// must be equal and their request traces agree line by line (line_comparison.h names the ways
// a driver may send a request otherwise). Runs inside the bench's virtual machine;
// KERNEL_BENCH_RUNS names the folder for the runs, KERNEL_BENCH_SKIP the scenarios left out
// (names separated by ';').
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <regex>
#include <string>

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

// The world of a scenario as the bench's camera serves it. The camera stays on the bus through
// its chip reset, as the simulated one does, so that the requests after it compare (the
// bench's ostrel scenarios let it re-enumerate). The simulated camera counts every request
// towards UnplugAfter; on the bus it counts those the driver sends, so it is given that count
// of the simulated run's requests and leaves after the same request of the library.
World OnTheBus(World world, const std::vector<std::string>& simulatedTrace) {
  static const std::regex unplug(R"(UnplugAfter=([0-9]+))");
  std::smatch found;
  if (std::regex_search(world.iniText, found, unplug)) {
    const size_t count = RequestsReachingCamera(simulatedTrace, std::stoul(found[1].str()));
    world.iniText.replace(static_cast<size_t>(found.position(0)), static_cast<size_t>(found.length(0)),
                          "UnplugAfter=" + std::to_string(count));
  }
  world.iniText += "ReenumerateOnReset=0\r\n";
  return world;
}

Outcome RunScenario(Transport transport, const World& world, const std::string& folderName,
                    const std::function<void(LibraryRun&)>& steps) {
  const char* runs = std::getenv("KERNEL_BENCH_RUNS");
  LibraryRun run(transport, std::filesystem::path(runs != nullptr ? runs : "runs") / folderName /
                                (transport == Transport::kSimulated ? "simulated" : "v4l2"),
                 world);
  EXPECT_EQ(run.SetupError(), "");
  const auto start = std::chrono::steady_clock::now();
  if (run.SetupError().empty()) steps(run);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  return {run.Results(), run.Trace(), took.count()};
}

bool Skipped(const std::string& name) {
  const char* skipped = std::getenv("KERNEL_BENCH_SKIP");
  return skipped != nullptr && (";" + std::string(skipped) + ";").find(";" + name + ";") != std::string::npos;
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
    if (Skipped(scenario.name)) {
      std::printf("%2zu %-42s not run in the sample (kernel-bench.sh --all runs it)\n", i + 1,
                  scenario.name.c_str());
      continue;
    }
    ++ran;
    const std::string folder = std::to_string(i + 1);
    const Outcome simulated =
        RunScenario(Transport::kSimulated, scenario.world, folder, scenario.steps);
    const Outcome platform = RunScenario(Transport::kV4l2, OnTheBus(scenario.world, simulated.trace),
                                         folder, scenario.steps);
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
              "lines compared, %zu differences\n",
              ran, traces.lines, results.lines, traces.differences + results.differences);
  std::printf("  by rule: %zu size probes of a known length not sent, %zu requests the "
              "descriptors rule out not sent, %zu requests after the camera left not sent\n",
              traces.knownLengths, traces.refused, traces.afterLeaving);
  EXPECT_EQ(traces.differences + results.differences, 0u);
}

}  // namespace
}  // namespace platform_test
