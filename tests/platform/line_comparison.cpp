#include "line_comparison.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <utility>

namespace platform_test {
namespace {

constexpr size_t kReported = 3;
constexpr char kControlLength[] = "64";
constexpr char kLengthAnswer[] = "800000ea";
constexpr char kInvalidParameter[] = "80070057";
constexpr char kNotFound[] = "80070490";
constexpr char kGone[] = "8007048f";

struct Request {
  std::string op, unit, selector, length, data, status;
};

Request Parse(const std::string& line) {
  Request request;
  std::istringstream(line) >> request.op >> request.unit >> request.selector >> request.length >>
      request.data >> request.status;
  return request;
}

void Report(const char* what, const char* platform, size_t line, const std::string& simulated,
            const std::string& other, size_t& differences) {
  if (++differences <= kReported) {
    ADD_FAILURE() << what << " line " << line << "\n  simulated: " << simulated << "\n  "
                  << platform << ": " << other;
  }
}

}  // namespace

LineCounts CompareLines(const char* what, const char* platform,
                        const std::vector<std::string>& simulated,
                        const std::vector<std::string>& other) {
  LineCounts counts;
  counts.lines = std::max(simulated.size(), other.size());
  for (size_t i = 0; i < counts.lines; ++i) {
    const std::string left = i < simulated.size() ? simulated[i] : "(none)";
    const std::string right = i < other.size() ? other[i] : "(none)";
    if (left != right) Report(what, platform, i + 1, left, right, counts.differences);
  }
  return counts;
}

TraceCounts CompareTraces(const char* platform, const std::vector<std::string>& simulated,
                          const std::vector<std::string>& other) {
  TraceCounts counts;
  std::set<std::pair<std::string, std::string>> learned;  // (unit, selector)
  bool gone = false;
  size_t i = 0;
  size_t j = 0;
  while (i < simulated.size() || j < other.size()) {
    const Request left = i < simulated.size() ? Parse(simulated[i]) : Request{};
    const std::pair<std::string, std::string> control{left.unit, left.selector};
    if (i < simulated.size() && j < other.size() && simulated[i] == other[j]) {
      if (left.op == "LEN" && left.status == kLengthAnswer) learned.insert(control);
      gone = gone || left.status == kGone;
      ++i;
      ++j;
      ++counts.lines;
      continue;
    }
    if (i < simulated.size() && left.op == "LEN" && left.status == kLengthAnswer &&
        learned.count(control) != 0) {
      ++counts.knownLengths;
      ++i;
      continue;
    }
    if (i < simulated.size() && ((left.op != "LEN" && left.length != kControlLength &&
                                  left.status == kInvalidParameter) ||
                                 left.status == kNotFound)) {
      ++counts.refused;
      ++i;
      continue;
    }
    if (i < simulated.size() && gone && left.status == kGone) {
      ++counts.afterLeaving;
      ++i;
      continue;
    }
    if (i < simulated.size() && j < other.size()) {
      const Request right = Parse(other[j]);
      if (left.op == "GET" && right.op == "GET" && left.unit == right.unit &&
          left.selector == right.selector && right.length == kControlLength &&
          left.status == right.status && right.data.compare(0, left.data.size(), left.data) == 0) {
        ++i;
        ++j;
        ++counts.lines;
        continue;
      }
    }
    Report("trace", platform, j + 1, i < simulated.size() ? simulated[i] : "(none)",
           j < other.size() ? other[j] : "(none)", counts.differences);
    ++counts.lines;
    if (i < simulated.size()) ++i;
    if (j < other.size()) ++j;
  }
  return counts;
}

}  // namespace platform_test
