// update: the ZEL download exactly as the updater's ZEL engine performs it (same calls, same
// order, same arguments), so that both send the camera the same requests; before it the image
// is checked and its version compared with the camera's.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "commands.h"
#include "flash/flash_layout.h"
#include "flash_file.h"
#include "image_version.h"
#include "interrupt.h"
#include "progress.h"
#include "tandrel.h"
#include "zel/device_descriptor.h"
#include "zel/manufacturer_name.h"

namespace cli {
namespace {

// The chip vendor number of the ZEL path, whose image version rule applies.
constexpr int32_t kZelVendor = 4;
constexpr auto kTick = std::chrono::milliseconds(100);

// The camera's release from the device descriptor in its flash; nothing when it holds none.
int CameraRelease(std::optional<uint16_t>& release) {
  uint8_t descriptor[zel::kDeviceDescriptorBytes] = {};
  const int result = ZelFlashRead(static_cast<int>(zel::kDeviceDescriptorAddress), descriptor,
                                  static_cast<int>(sizeof descriptor));
  if (result == ZEL_OK) release = zel::DeviceDescriptorRelease(descriptor);
  return result;
}

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
      const double expected = 2 * eraseCheckSeconds_ * length_ / tandrel::kFlashBytes;
      const double share = expected > 0 ? std::min(0.99, Since(downloadStart_) / expected) : 0;
      done_ = static_cast<uint32_t>(share * length_);
    }
    const uint64_t done = done_;
    progress_.Update(done, 2 * ((done + tandrel::kPacketBytes - 1) / tandrel::kPacketBytes));
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

}  // namespace

ExitCode RunUpdate(Session& session) {
  if (session.Words().size() != 1)
    return session.Fail(kExitUsage, "update takes IMAGE (see --help)");
  const std::string& path = session.Words()[0];
  const auto image = ReadFlashFile(path);
  if (!image)
    return session.Fail(kExitFile,
                        "cannot read " + path + " (a regular file of at most 131072 bytes)");
  const auto* bytes = reinterpret_cast<const uint8_t*>(image->data());
  // Burning an image without its device descriptor would leave a camera that cannot enumerate.
  if (!zel::StoredDeviceDescriptorRelease(bytes, image->size())) {
    return session.Fail(kExitFile, path + " is no ZEL image: no device descriptor at 0x4020");
  }
  const uint16_t imageVersion = ostrel::ReadImageVersion(kZelVendor, bytes, image->size(), false);
  Value report = session.NewReport().Set("image", path).Set("image_version", Hex(imageVersion, 4));
  if (const ExitCode bound = session.Bind()) return bound;

  // The stored device descriptor, read as the updater reads it: the camera's release, and
  // whether its flash still holds the camera's name.
  std::optional<uint16_t> release;
  if (const ExitCode failed = session.Check(CameraRelease(release), "camera release"))
    return failed;
  report.Set("camera_release", release ? Value(Hex(*release, 4)) : Value());
  if (!release && !session.Args().manufacturer) {
    return session.Fail(kExitUsage,
                        "the camera's flash holds no device descriptor: an update was interrupted "
                        "after the erase, and the camera's manufacturer name went with it; give "
                        "the name to carry with --manufacturer TEXT ('' for none)");
  }
  if (!session.Args().force) {
    if (release && imageVersion <= *release) {
      report.Set("written", false);
      session.Report(report);
      if (!session.Args().json) {
        std::cerr << "tandrel update: the camera runs " << Hex(*release, 4)
                  << ", the image is not newer (" << Hex(imageVersion, 4)
                  << "); --force writes it anyway\n";
      }
      return kExitNotNewer;
    }
  }
  if (session.Args().dryRun)
    return session.Report(report.Set("written", false).Set("dry_run", true));
  if (Interrupted())
    return session.Fail(kExitInterrupted, "interrupted before anything was written");

  // The image is written with the camera's manufacturer name carried into a private copy.
  auto copy = std::make_unique<unsigned char[]>(tandrel::kFlashBytes);
  std::copy(image->begin(), image->end(), copy.get());
  const auto length = static_cast<int>(image->size());
  UpdateProgress progress(static_cast<uint32_t>(length), session.Args().quiet);
  // The name is read as pfn_GetManufacturer reads it, but with the read's result: the name
  // lives in the flash the erase clears, so a failed read leaves the camera as it is.
  char name[256] = {};
  if (release) {
    int count = 0;
    const int nameRead = ZelGetiManufacturer(name, static_cast<int>(sizeof name), &count);
    if (!zel::ManufacturerNameAnswered(nameRead)) {
      progress.Stop();
      return session.Check(nameRead, "manufacturer name (nothing was erased)");
    }
  } else {
    session.Args().manufacturer->copy(name, sizeof name - 1);
  }
  // From the erase on, stopping would leave a camera without firmware: Ctrl-C waits for the end.
  const bool erased = pfn_UVC_EEPROMErase() == 0;
  progress.EraseChecked();
  pfn_UVC_SetManufactureStringToFW(copy.get(), 1, name);
  const int written = pfn_EEPROM_DownLoad2(1, 0, copy.get(), length);
  progress.Downloaded();
  const bool reset = written == ZEL_OK && pfn_UVC_ResetIC() == 0;
  progress.Stop();

  report.Set("manufacturer", name[0] != '\0' ? Value(std::string(name)) : Value())
      .Set("erase_checked", erased)
      .Set("written", written == ZEL_OK);
  if (written == 1) {
    return session.Fail(kExitVerifyMismatch,
                        "the flash differs from the image after writing; run update again");
  }
  if (const ExitCode failed = session.Check(written, "download (the camera needs another update)"))
    return failed;
  report.Set("reset", reset);
  if (Interrupted()) report.Set("interrupted_after_end", true);
  return session.Report(report);
}

}  // namespace cli
