#include "config_rules.h"

#include <algorithm>
#include <limits>

#include "text/hex4.h"

namespace ostrel {

std::vector<uint16_t> ParsePidList(std::u16string_view sectionNames) {
  std::vector<uint16_t> pids(sectionNames.size() / kSectionSlotChars);
  for (size_t i = 0; i < pids.size(); ++i) {
    pids[i] = text::ParseHex4(sectionNames.data() + kSectionSlotChars * i + 4);
  }
  return pids;
}

bool IsBinSentinel(std::u16string_view value) {
  return value.size() >= 13 && value.substr(0, 9) == kBinSentinel.substr(0, 9) &&
         value.substr(10, 3) == kBinSentinel.substr(10, 3);
}

int32_t DecimalValue(std::u16string_view value) {
  size_t i = 0;
  while (i < value.size() && (value[i] == u' ' || value[i] == u'\t')) ++i;
  bool negative = false;
  if (i < value.size() && (value[i] == u'-' || value[i] == u'+')) negative = value[i++] == u'-';
  int64_t magnitude = 0;
  constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  for (; i < value.size() && value[i] >= u'0' && value[i] <= u'9'; ++i) {
    magnitude = std::min(magnitude * 10 + (value[i] - u'0'), kLimit);
  }
  const int64_t signedValue = negative ? -magnitude : magnitude;
  return static_cast<int32_t>(std::clamp<int64_t>(signedValue, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

}  // namespace ostrel
