// list and info: which cameras there are and what they say about themselves.
#include <cstring>
#include <string>

#include "commands.h"
#include "zel/chip.h"
#include "tandrel.h"
#include "zel/device_descriptor.h"

namespace cli {
namespace {

constexpr int kTextBytes = 256;
constexpr unsigned kEncoderRecordSelector = 1;

std::string Field(const char* bytes, size_t size) {
  return std::string(bytes, strnlen(bytes, size));
}

Value ChipReport(Value report, int chipId) {
  return report.Set("chip_id", Hex(static_cast<uint32_t>(chipId), 8))
      .Set("chip_variant", chipId == zel::kChipVariantA ? "A" : "B");
}

// Vendor, product and release from the device descriptor stored in the flash.
int AddStoredIdentity(Value& report) {
  uint8_t descriptor[zel::kDeviceDescriptorBytes] = {};
  const int result = ZelFlashRead(static_cast<int>(zel::kDeviceDescriptorAddress), descriptor,
                                  static_cast<int>(sizeof descriptor));
  if (result != ZEL_OK) return result;
  const auto release = zel::DeviceDescriptorRelease(descriptor);
  if (!release) {
    report.Set("vendor", Value()).Set("product", Value()).Set("release", Value());
    return ZEL_OK;
  }
  report.Set("vendor", Hex(descriptor[8] | descriptor[9] << 8, 4))
      .Set("product", Hex(descriptor[10] | descriptor[11] << 8, 4))
      .Set("release", Hex(*release, 4));
  return ZEL_OK;
}

Value Numbers(std::initializer_list<uint32_t> values) {
  Value::Array items;
  for (const uint32_t value : values) items.emplace_back(value);
  return Value(items);
}

// One string export's text; null when the camera has none.
template <typename F>
int StringField(F read, Value& field) {
  char text[kTextBytes] = {};
  int count = 0;
  const int result = read(text, kTextBytes, &count);
  if (result == ZEL_OK) field = count > 0 ? Value(Field(text, sizeof text)) : Value();
  return result;
}

}  // namespace

ExitCode RunList(Session& session) {
  Value::Array cameras;
  for (const VideoInput& input : session.Inputs()) {
    if (ZelSetDeviceHandle(input.handle) != ZEL_OK) continue;
    Value camera = Value().Set("handle", input.handleText);
    int chipId = 0;
    int result = AddStoredIdentity(camera);
    if (result == ZEL_OK) result = ZelMmioRead(zel::kChipIdRegister, &chipId);
    if (result != ZEL_OK) {
      camera.Set("error", ResultName(result));
    } else {
      camera = ChipReport(camera, chipId);
    }
    cameras.push_back(camera);
    ZelClearDeviceHandle();
  }
  const bool none = cameras.empty();
  session.Report(session.NewReport().Set("cameras", cameras));
  return none ? kExitNoCamera : kExitOk;
}

ExitCode RunInfo(Session& session) {
  if (const ExitCode bound = session.Bind()) return bound;
  Value report = session.NewReport();
  int chipId = 0;
  if (const ExitCode failed =
          session.Check(ZelMmioRead(zel::kChipIdRegister, &chipId), "chip id")) {
    return failed;
  }
  report = ChipReport(report, chipId);

  ZelFirmwareVersion version{};
  if (const ExitCode failed = session.Check(ZelGetFirmwareVersion(&version), "firmware version"))
    return failed;
  report.Set("firmware", Value()
                             .Set("vendor", Field(version.vendor, sizeof version.vendor))
                             .Set("product", Field(version.product, sizeof version.product))
                             .Set("revision", Field(version.revision, sizeof version.revision)));

  Value text;
  if (const ExitCode failed = session.Check(StringField(ZelGetiManufacturer, text), "manufacturer"))
    return failed;
  report.Set("manufacturer", text);
  if (const ExitCode failed = session.Check(StringField(ZelGetSerialNumber, text), "serial number"))
    return failed;
  report.Set("serial_number", text);

  // An erased sector holds a length the library refuses: no custom serial number then.
  ZelCustomSerialNumber custom{};
  const int customResult = ZelGetCustomSerialNumber(&custom);
  if (customResult != ZEL_E_INVALID_ARG) {
    if (const ExitCode failed = session.Check(customResult, "custom serial number")) return failed;
  }
  report.Set("custom_serial_number",
             customResult == ZEL_OK && custom.valid == 1
                 ? Value(std::string(reinterpret_cast<const char*>(custom.serial), custom.length))
                 : Value());

  ZelSystemInfo system{};
  if (const ExitCode failed = session.Check(ZelGetSystemInfornation(&system), "system information"))
    return failed;
  report.Set("system_information",
             Numbers({system.first, system.second, system.third, system.fourth, system.fifth,
                      system.sixth, system.seventh}));

  NorvDeviceInfo device{};
  if (const ExitCode failed = session.Check(NorvGetDeviceInfo(&device), "device information"))
    return failed;
  report.Set("device_information",
             Numbers({device.first, device.second, device.third, device.fourth}));

  unsigned char record[64] = {};
  unsigned int length = 0;
  if (const ExitCode failed = session.Check(
          ZelXuGet(kEncoderRecordSelector, record, sizeof record, &length), "encoder record")) {
    return failed;
  }
  report.Set("encoder_record_version", length > 0 ? Value(uint32_t{record[0]}) : Value());
  return session.Report(report);
}

}  // namespace cli
