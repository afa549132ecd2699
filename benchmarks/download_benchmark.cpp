// The whole firmware download of a 128 KiB image through the library into the simulated
// camera: erase with check, write in 26-byte packets, read back and compare. Reports the
// requests the camera answered per second and the time per request (library and model, the
// flash file's writes included).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "camera/live_world.h"
#include "image_maker/zel_image.h"
#include "tandrel.h"

namespace {

namespace stdfs = std::filesystem;

constexpr char kCamera[] =
    "[Camera1]\nModel=zel\nDevicePath=\\\\?\\usb#vid_0408&pid_2040&mi_00#6&2e3f1c7e&0&0000#"
    "{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global\nFlash=camera1.flash\n";

stdfs::path WriteWorld(const std::string& worldKeys) {
  const stdfs::path folder = stdfs::temp_directory_path() / "ostrel-download-benchmark";
  stdfs::create_directories(folder);
  std::ofstream(folder / "simcam.ini") << "[World]\n" << worldKeys << "\n" << kCamera;
  return folder;
}

bool Download(const std::vector<uint8_t>& image) {
  return pfn_UVC_EEPROMErase() == 0 &&
         pfn_EEPROM_DownLoad2(1, 0, image.data(), static_cast<int>(image.size())) == 0;
}

// Requests of one download, counted once from the trace.
size_t RequestsPerDownload(const std::vector<uint8_t>& image) {
  const stdfs::path folder = WriteWorld("Trace=trace.log");
  stdfs::remove(folder / "trace.log");
  sim::LiveWorld::Activate((folder / "simcam.ini").u16string());
  Download(image);
  sim::LiveWorld::Activate((folder / "absent.ini").u16string());
  std::ifstream trace(folder / "trace.log");
  size_t lines = 0;
  for (std::string line; std::getline(trace, line);) ++lines;
  return lines;
}

void BM_FullDownloadAndVerify(benchmark::State& state) {
  const std::vector<uint8_t> image = image_maker::MakeZelImage({});
  const size_t requests = RequestsPerDownload(image);
  const stdfs::path folder = WriteWorld("");
  sim::LiveWorld::Activate((folder / "simcam.ini").u16string());
  for (auto _ : state) {
    if (!Download(image)) state.SkipWithError("download failed");
  }
  sim::LiveWorld::Activate((folder / "absent.ini").u16string());
  state.counters["requests"] = static_cast<double>(requests);
  state.counters["requests_per_second"] =
      benchmark::Counter(static_cast<double>(requests * state.iterations()), benchmark::Counter::kIsRate);
  state.counters["seconds_per_request"] = benchmark::Counter(
      static_cast<double>(requests * state.iterations()),
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_FullDownloadAndVerify)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
