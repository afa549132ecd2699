#include "zel/download_sequence.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "zel/device_descriptor.h"
#include "zel/flash_layout.h"
#include "zel/manufacturer_name.h"

namespace zel {

DownloadResult RunDownload(const DownloadExports& exports, const uint8_t* image, int length,
                           DownloadHost& host) {
  DownloadResult outcome;
  uint8_t descriptor[kDeviceDescriptorBytes] = {};
  outcome.result = exports.FlashRead(kDescriptorAddress, descriptor, kDescriptorBytes);
  if (outcome.result != 0) {
    outcome.end = DownloadEnd::kDescriptorReadFailed;
    return outcome;
  }
  outcome.release = DeviceDescriptorRelease(descriptor);
  if (!host.Proceed(outcome.release)) return outcome;

  NameWithoutDescriptor choice{NameWithoutDescriptor::Source::kCamera, {}};
  if (!outcome.release) choice = host.NameForAnInvalidDescriptor();
  if (choice.source == NameWithoutDescriptor::Source::kStop) return outcome;
  char name[kNameBytes] = {};
  if (choice.source == NameWithoutDescriptor::Source::kGiven) {
    choice.name.copy(name, kNameBytes - 1);
  } else {
    int count = 0;
    outcome.result = exports.GetiManufacturer(name, static_cast<int>(kNameBytes), &count);
    if (!ManufacturerNameAnswered(outcome.result)) {
      outcome.end = DownloadEnd::kNameReadFailed;
      return outcome;
    }
    host.NameRead(name, outcome.release.has_value());
  }
  outcome.name = name;
  host.Reached(DownloadStep::kNameKnown);

  // From the erase on the camera holds no firmware until the write ends.
  outcome.erased = exports.EepromErase() == 0;
  host.Reached(DownloadStep::kErased);
  // The name is carried into a private copy: the caller's image stays as it was read.
  std::vector<unsigned char> copy(kFlashBytes, 0);
  const int carried = std::clamp(length, 0, kFlashBytes);
  std::copy_n(image, carried, copy.begin());
  exports.SetManufacturer(copy.data(), 1, name);
  host.Reached(DownloadStep::kNameCarried);
  outcome.result = exports.DownLoad2(1, 0, copy.data(), carried);
  if (outcome.result != 0) {
    outcome.end = DownloadEnd::kWriteFailed;
    return outcome;
  }
  host.Reached(DownloadStep::kWritten);
  outcome.end = DownloadEnd::kDone;
  outcome.reset = exports.ResetIc() == 0;
  host.Reached(DownloadStep::kReset);
  return outcome;
}

}  // namespace zel
