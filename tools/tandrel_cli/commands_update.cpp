// update: the ZEL update sequence the updater's ZEL engine runs too (zel/download_sequence.h),
// so that both send the camera the same requests; before it the image is checked and its
// version compared with the camera's.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "commands.h"
#include "flash_file.h"
#include "interrupt.h"
#include "progress.h"
#include "tandrel.h"
#include "zel/device_descriptor.h"
#include "zel/download_sequence.h"
#include "zel/flash_layout.h"
#include "zel/image_version.h"

namespace cli {
namespace {

constexpr auto kTick = std::chrono::milliseconds(100);

// Redraws the progress on its own thread while the library works on this one. The download
// is one library call that reports nothing until it ends: its share is estimated from the
// pace of the erase check, which reads the whole flash back as the download reads the image
// back after writing it.
class UpdateProgress {
 public:
  UpdateProgress(uint32_t length, bool quiet)
      : length_(length), progress_("erasing", length, quiet) {
    ticker_ = std::thread([this] {
      while (!stop_) {
        Tick();
        std::this_thread::sleep_for(kTick);
      }
    });
  }
  ~UpdateProgress() { Stop(); }

  void EraseChecked() {
    eraseCheckSeconds_ = Since(start_);
    downloadStart_ = Clock::now();
    downloading_ = true;
  }
  void Downloaded() {
    downloading_ = false;
    done_ = length_;
  }
  void Stop() {
    if (ticker_.joinable()) {
      stop_ = true;
      ticker_.join();
      Tick();
      progress_.Finish();
    }
  }

 private:
  using Clock = std::chrono::steady_clock;
  static double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
  }
  void Tick() {
    if (downloading_) {
      progress_.Relabel("writing");
      // Writing and reading back length bytes against reading back the whole flash once.
      const double expected = 2 * eraseCheckSeconds_ * length_ / zel::kFlashBytes;
      const double share = expected > 0 ? std::min(0.99, Since(downloadStart_) / expected) : 0;
      done_ = static_cast<uint32_t>(share * length_);
    }
    const uint64_t done = done_;
    progress_.Update(done, 2 * ((done + zel::kPacketBytes - 1) / zel::kPacketBytes));
  }

  const uint32_t length_;
  Progress progress_;
  const Clock::time_point start_ = Clock::now();
  Clock::time_point downloadStart_;
  double eraseCheckSeconds_ = 0;
  std::atomic<bool> downloading_{false};
  std::atomic<uint32_t> done_{0};
  std::atomic<bool> stop_{false};
  std::thread ticker_;
};

// The tool's side of the update sequence: the checks before anything is written, the name
// given for a camera whose flash lost it, and the progress.
class ToolSteps : public zel::DownloadHost {
 public:
  ToolSteps(Session& session, Value& report, uint16_t imageVersion, uint32_t length)
      : session_(session), report_(report), imageVersion_(imageVersion), length_(length) {}

  // Why the update stopped before writing, when it did.
  std::optional<ExitCode> stopped;

  bool Proceed(std::optional<uint16_t> release) override {
    report_.Set("camera_release", release ? Value(Hex(*release, 4)) : Value());
    if (!release && !session_.Args().manufacturer) {
      return Stop(session_.Fail(
          kExitUsage,
          "the camera's flash holds no device descriptor: an update was interrupted after the "
          "erase, and the camera's manufacturer name went with it; give the name to carry with "
          "--manufacturer TEXT ('' for none)"));
    }
    if (!session_.Args().force && release && imageVersion_ <= *release) {
      report_.Set("written", false);
      session_.Report(report_);
      if (!session_.Args().json) {
        std::cerr << "tandrel update: the camera runs " << Hex(*release, 4)
                  << ", the image is not newer (" << Hex(imageVersion_, 4)
                  << "); --force writes it anyway\n";
      }
      return Stop(kExitNotNewer);
    }
    if (session_.Args().dryRun) {
      return Stop(session_.Report(report_.Set("written", false).Set("dry_run", true)));
    }
    if (Interrupted()) {
      return Stop(session_.Fail(kExitInterrupted, "interrupted before anything was written"));
    }
    progress_ = std::make_unique<UpdateProgress>(length_, session_.Args().quiet);
    return true;
  }

  zel::NameWithoutDescriptor NameForAnInvalidDescriptor() override {
    return {zel::NameWithoutDescriptor::Source::kGiven, *session_.Args().manufacturer};
  }

  void NameRead(const std::string&, bool) override {}

  // From the erase on, stopping would leave a camera without firmware: Ctrl-C waits for the end.
  void Reached(zel::DownloadStep step) override {
    if (step == zel::DownloadStep::kErased) progress_->EraseChecked();
    if (step == zel::DownloadStep::kWritten) progress_->Downloaded();
  }

  void StopProgress() {
    if (progress_) progress_->Stop();
  }

 private:
  bool Stop(ExitCode code) {
    stopped = code;
    return false;
  }

  Session& session_;
  Value& report_;
  const uint16_t imageVersion_;
  const uint32_t length_;
  std::unique_ptr<UpdateProgress> progress_;
};

class LinkedDownloadCalls : public zel::DownloadExports {
 public:
  int FlashRead(int address, unsigned char* buffer, int length) const override {
    return ZelFlashRead(address, buffer, length);
  }
  int GetiManufacturer(char* text, int size, int* count) const override {
    return ZelGetiManufacturer(text, size, count);
  }
  int EepromErase() const override { return pfn_UVC_EEPROMErase(); }
  int SetManufacturer(unsigned char* image, int reserved, const char* name) const override {
    return pfn_UVC_SetManufactureStringToFW(image, reserved, name);
  }
  int DownLoad2(int reserved, int address, const unsigned char* image, int length) const override {
    return pfn_EEPROM_DownLoad2(reserved, address, image, length);
  }
  int ResetIc() const override { return pfn_UVC_ResetIC(); }
};

}  // namespace

ExitCode RunUpdate(Session& session) {
  if (session.Words().size() != 1)
    return session.Fail(kExitUsage, "update takes IMAGE (see --help)");
  const std::string& path = session.Words()[0];
  const auto image = ReadFlashFile(path);
  if (!image)
    return session.Fail(kExitFile,
                        "cannot read " + path + " (a regular file of at most " +
                            std::to_string(zel::kFlashBytes) + " bytes)");
  const auto* bytes = reinterpret_cast<const uint8_t*>(image->data());
  // Burning an image without its device descriptor would leave a camera that cannot enumerate.
  if (!zel::StoredDeviceDescriptorRelease(bytes, image->size())) {
    return session.Fail(kExitFile, path + " is no ZEL image: no device descriptor at " +
                                        Hex(zel::kDescriptorAddress, 4));
  }
  // An image that holds a device descriptor holds its version text, which comes before it.
  const uint16_t imageVersion = *zel::ImageVersion(bytes, image->size());
  Value report = session.NewReport().Set("image", path).Set("image_version", Hex(imageVersion, 4));
  if (const ExitCode bound = session.Bind()) return bound;

  ToolSteps steps(session, report, imageVersion, static_cast<uint32_t>(image->size()));
  const zel::DownloadResult result =
      zel::RunDownload(LinkedDownloadCalls(), bytes, static_cast<int>(image->size()), steps);
  steps.StopProgress();
  switch (result.end) {
    case zel::DownloadEnd::kDescriptorReadFailed:
      return session.Check(result.result, "camera release");
    case zel::DownloadEnd::kStopped:
      return *steps.stopped;
    case zel::DownloadEnd::kNameReadFailed:
      return session.Check(result.result, "manufacturer name (nothing was erased)");
    case zel::DownloadEnd::kWriteFailed:
    case zel::DownloadEnd::kDone:
      break;
  }
  report.Set("manufacturer", !result.name.empty() ? Value(result.name) : Value())
      .Set("erase_checked", result.erased)
      .Set("written", result.end == zel::DownloadEnd::kDone);
  if (result.end == zel::DownloadEnd::kWriteFailed) {
    if (result.result == 1) {
      return session.Fail(kExitVerifyMismatch,
                          "the flash differs from the image after writing; run update again");
    }
    return session.Check(result.result, "download (the camera needs another update)");
  }
  report.Set("reset", result.reset);
  if (Interrupted()) report.Set("interrupted_after_end", true);
  return session.Report(report);
}

}  // namespace cli
