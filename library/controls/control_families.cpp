#include "controls/control_families.h"

#include <type_traits>

#include "tandrel.h"

namespace tandrel {
namespace {

constexpr uint8_t kSetDirection = 0;
constexpr uint8_t kGetDirection = 1;
constexpr uint32_t kEncoderRecordSelector = 1;
constexpr uint8_t kFormatRecordVersion = 3;

// Reads the encoder record into payload, the base a format group builds on: 0, -6 when the
// record's version lacks the format groups, or the read's mapped code.
int ProbeFormatSupport(XuAccess& access, XuPayload& payload) {
  const uint32_t selector = access.m_nSelector;
  access.m_nSelector = kEncoderRecordSelector;
  const int read = ReceivePayload(access, payload);
  access.m_nSelector = selector;
  if (read != ZEL_OK) return read;
  return payload[0] < kFormatRecordVersion ? ZEL_E_NOT_SUPPORTED : ZEL_OK;
}

// Opens the setting's control and starts its payload: zeroed, or the encoder record for a
// format group; then group and direction. exchange finishes the frame.
template <typename Exchange>
int RunGroupFrame(const GroupSetting& setting, uint8_t direction, Exchange exchange) {
  return RunXuFrame(XuControl{0, setting.selector}, [&](XuAccess& access) {
    XuPayload payload{};
    if (setting.formatProbe) {
      const int probed = ProbeFormatSupport(access, payload);
      if (probed != ZEL_OK) return probed;
    }
    payload[0] = setting.group;
    payload[1] = direction;
    return exchange(access, payload);
  });
}

}  // namespace

void ValueOut::Store(uint32_t value) const {
  std::visit(
      [value](auto* target) { *target = static_cast<std::remove_pointer_t<decltype(target)>>(value); },
      target_);
}

bool ValueOut::IsNull() const {
  return std::visit([](auto* target) { return target == nullptr; }, target_);
}

int SetGroupValues(const GroupSetting& setting, std::initializer_list<uint32_t> values) {
  return RunGroupFrame(setting, kSetDirection, [&](XuAccess& access, XuPayload& payload) {
    const uint32_t* value = values.begin();
    for (const ValueField& field : setting.values) {
      if (field.width == 0 || value == values.end()) break;
      if (*value > field.largest) return ZEL_E_INVALID_ARG;
      PutLe(payload, field.offset, *value++, field.width);
    }
    return SendPayload(access, payload);
  });
}

int GetGroupValues(const GroupSetting& setting, std::initializer_list<ValueOut> outputs) {
  for (const ValueOut& output : outputs) {
    if (output.IsNull()) return ZEL_E_INVALID_ARG;
  }
  XuPayload reply{};
  const int result = RunGroupFrame(setting, kGetDirection, [&](XuAccess& access, XuPayload& payload) {
    const int sent = SendPayload(access, payload);
    return sent != ZEL_OK ? sent : ReceivePayload(access, reply);
  });
  if (result == ZEL_E_NOT_SUPPORTED && setting.formatProbe) {
    outputs.begin()->Store(setting.unsupportedDefault);
  }
  if (result != ZEL_OK) return result;
  const ValueOut* output = outputs.begin();
  for (const ValueField& field : setting.values) {
    if (field.width == 0 || output == outputs.end()) break;
    (output++)->Store(GetLe(reply, field.offset, field.width));
  }
  return ZEL_OK;
}

int SetUnitValue(const UnitValue& control, uint32_t value) {
  XuPayload payload{};
  PutLe(payload, 0, value, control.width);
  return XuWrite(XuControl{1, control.selector}, payload);
}

int GetUnitValue(const UnitValue& control, ValueOut output) {
  if (output.IsNull()) return ZEL_E_INVALID_ARG;
  XuPayload reply{};
  const int result = XuRead(XuControl{1, control.selector}, reply);
  if (result == ZEL_OK) output.Store(GetLe(reply, 0, control.width));
  return result;
}

}  // namespace tandrel
