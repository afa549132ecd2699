// The ZEL name and string-descriptor logic: the rules on video-input display names, the
// string-slot size of an image's descriptor area, and the manufacturer name written into an
// image (in sparse form over a whole flash), which must stay inside its slot and read back.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "tandrel.h"
#include "text/utf16.h"
#include "transport/camera_name.h"
#include "zel/flash_layout.h"
#include "zel/string_descriptors.h"

namespace {

using fuzz::Check;

void CheckDisplayName(const std::string& name) {
  const std::string converted = tandrel::ConvertedDisplayName(name);
  Check(converted.size() <= 255 && name.compare(0, converted.size(), converted) == 0,
        "a converted name is the name's start, at most 255 bytes");
  const size_t tag = tandrel::FindVendorTag(name);
  const std::string id = tandrel::DeviceIdOf(name);
  Check(tag == std::string::npos ? id.empty() : id.size() <= 17 && name.compare(tag, id.size(), id) == 0,
        "the device id is the 17 bytes from the vendor tag");
  Check(tandrel::DeviceLabelOf(name).size() == id.size(), "the label is the id's length");
  Check(!tandrel::IsSupportedCamera(name) || tag != std::string::npos,
        "a supported camera has a vendor tag");
}

// The slot size is the offset of the first non-zero byte after the language descriptor.
void CheckSlotSize(const uint8_t* area) {
  const int slot = zel::StringSlotSize(area);
  Check(slot == 0 || (slot >= 4 && slot < zel::kStringAreaProbeBytes && area[slot] != 0),
        "a slot size points at the first used byte");
  for (int offset = 4; offset < (slot == 0 ? zel::kStringAreaProbeBytes : slot); ++offset) {
    Check(area[offset] == 0, "the bytes before slot 1 are zero");
  }
  if (slot == 0) return;
  const std::optional<std::u16string> string = zel::SlotString(area + slot, slot);
  Check(!string || string->size() <= static_cast<size_t>((slot - 2) / 2),
        "a slot's string stays inside the slot");
}

void CheckManufacturerWrite(std::vector<uint8_t> image, const std::string& name) {
  std::vector<uint8_t> expected = image;
  const int slot = zel::StringSlotSize(image.data() + zel::kStringArea);
  Check(pfn_UVC_SetManufactureStringToFW(image.data(), 0, name.c_str()) == ZEL_OK,
        "a name is always taken");
  const size_t length = strnlen(name.c_str(), zel::kNameBytes);
  const size_t slotBegin = static_cast<size_t>(zel::kStringArea + zel::kManufacturerSlot * slot);
  // Apart from the slot and its index byte the image is as it was.
  const size_t index = length == 0 ? zel::kSerialNumberIndexAddress : zel::kManufacturerIndexAddress;
  expected[index] = image[index];
  if (length > 0) {
    std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(slotBegin), slot,
                expected.begin() + static_cast<std::ptrdiff_t>(slotBegin));
  }
  Check(image == expected, "only the slot and its index change");
  if (length == 0 || slot == 0) return;
  const uint8_t* written = image.data() + slotBegin;
  const size_t characters = std::min(length, static_cast<size_t>((slot - 2) / 2));
  Check(written[0] == 2 * characters + 2 && written[1] == 3, "a string descriptor heads the slot");
  std::u16string back;
  for (size_t i = 0; i < characters; ++i) {
    back += static_cast<char16_t>(written[2 + 2 * i] | written[3 + 2 * i] << 8);
  }
  Check(back == text::Cp1252ToUtf16(name.substr(0, characters)), "the slot holds the name");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzInput input(data, size);
  const std::string name = input.Bytes(input.Byte());
  CheckDisplayName(name);
  std::vector<uint8_t> image(zel::kFlashBytes, 0xFF);
  input.Patch(image);
  CheckSlotSize(image.data() + zel::kStringArea);
  CheckManufacturerWrite(std::move(image), name);
  return 0;
}
