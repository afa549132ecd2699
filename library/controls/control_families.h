// The regular control families: settings addressed by group and direction on selectors 5, 6
// and 7 of extension unit 0, and the value controls of extension unit 1. Each setting is data
// (control, group, where its values sit in the payload); one implementation moves them.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <variant>

#include "transport/call_frame.h"
#include "zel/setting_layout.h"

namespace zel::controls {}  // the table itself: zel/control_table.h

namespace tandrel {

using zel::GroupSetting;
using zel::UnitValue;
using zel::ValueField;
namespace controls = zel::controls;

// Where a getter puts one value: the caller's variable, of the width its export declares.
class ValueOut {
 public:
  ValueOut(uint8_t* target) : target_(target) {}
  ValueOut(uint16_t* target) : target_(target) {}
  ValueOut(uint32_t* target) : target_(target) {}
  ValueOut(int32_t* target) : target_(target) {}
  void Store(uint32_t value) const;
  bool IsNull() const;

 private:
  std::variant<uint8_t*, uint16_t*, uint32_t*, int32_t*> target_;
};

// Set: values in the setting's order, each cut to its field's width. Get: one output per
// value, written only on success (a format group's default also on -6); a null output is
// refused with -3 before any traffic.
int SetGroupValues(const GroupSetting& setting, std::initializer_list<uint32_t> values);
int GetGroupValues(const GroupSetting& setting, std::initializer_list<ValueOut> outputs);

int SetUnitValue(const UnitValue& control, uint32_t value);
int GetUnitValue(const UnitValue& control, ValueOut output);

}  // namespace tandrel
