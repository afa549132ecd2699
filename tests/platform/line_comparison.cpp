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
constexpr char kLengthAnswer[] = "800700ea";
constexpr char kInvalidParameter[] = "80070057";
constexpr char kInsufficientBuffer[] = "8007007a";
constexpr char kNotFound[] = "80070490";
constexpr char kSetNotFound[] = "80070492";
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

using Control = std::pair<std::string, std::string>;  // unit, selector

bool AnswersLength(const Request& request) {
  return request.op == "LEN" && request.status == kLengthAnswer;
}

// Why a driver would not send a simulated request: a size probe of a control whose length it
// learned from an earlier probe, or a request it refuses from the descriptors.
enum class NotSent { kSent, kKnownLength, kRefused };
NotSent WhyNotSent(const Request& request, const std::set<Control>& learned) {
  if (AnswersLength(request) && learned.count({request.unit, request.selector}) != 0) {
    return NotSent::kKnownLength;
  }
  const bool otherLength = request.op != "LEN" && request.length != kControlLength &&
                           (request.status == kInvalidParameter ||
                            request.status == kInsufficientBuffer);
  if (otherLength || request.status == kNotFound || request.status == kSetNotFound) {
    return NotSent::kRefused;
  }
  return NotSent::kSent;
}

void Learn(const Request& sent, std::set<Control>& learned) {
  if (AnswersLength(sent)) learned.insert({sent.unit, sent.selector});
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
  std::set<Control> learned;
  bool gone = false;
  size_t i = 0;
  size_t j = 0;
  while (i < simulated.size() || j < other.size()) {
    if (i < simulated.size()) {
      const Request left = Parse(simulated[i]);
      if (j < other.size() && simulated[i] == other[j]) {
        Learn(left, learned);
        gone = gone || left.status == kGone;
        ++i;
        ++j;
        ++counts.lines;
        continue;
      }
      const NotSent why = WhyNotSent(left, learned);
      if (why != NotSent::kSent || (gone && left.status == kGone)) {
        size_t& kind = why == NotSent::kKnownLength ? counts.knownLengths
                       : why == NotSent::kRefused   ? counts.refused
                                                    : counts.afterLeaving;
        ++kind;
        ++i;
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

size_t RequestsReachingCamera(const std::vector<std::string>& simulated, size_t count) {
  std::set<Control> learned;
  size_t sent = 0;
  for (size_t i = 0; i < count && i < simulated.size(); ++i) {
    const Request request = Parse(simulated[i]);
    if (WhyNotSent(request, learned) != NotSent::kSent) continue;
    Learn(request, learned);
    ++sent;
  }
  return sent;
}

}  // namespace platform_test
