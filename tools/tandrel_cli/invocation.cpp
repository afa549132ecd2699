#include "invocation.h"

#include <cctype>

namespace cli {
namespace {

struct Flag {
  const char* longName;
  const char* shortName;
  bool Invocation::*target;
};

struct Option {
  const char* longName;
  const char* shortName;
  std::optional<std::string> Invocation::*target;
};

const Flag kFlags[] = {
    {"--json", nullptr, &Invocation::json},      {"--quiet", "-q", &Invocation::quiet},
    {"--yes", "-y", &Invocation::yes},           {"--help", "-h", &Invocation::help},
    {"--all", nullptr, &Invocation::all},        {"--force", nullptr, &Invocation::force},
    {"--dry-run", nullptr, &Invocation::dryRun},
};

const Option kOptions[] = {
    {"--device", "-d", &Invocation::device},
    {"--output", "-o", &Invocation::outputFile},
    {"--offset", nullptr, &Invocation::offset},
    {"--manufacturer", nullptr, &Invocation::manufacturer},
};

bool Names(const char* longName, const char* shortName, const std::string& word) {
  return word == longName || (shortName != nullptr && word == shortName);
}

}  // namespace

Parsed ParseCommandLine(const std::vector<std::string>& arguments) {
  Parsed parsed;
  Invocation& invocation = parsed.invocation;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& word = arguments[i];
    if (word.size() < 2 || word[0] != '-') {
      invocation.words.push_back(word);
      continue;
    }
    bool known = false;
    for (const Flag& flag : kFlags) {
      if (Names(flag.longName, flag.shortName, word)) {
        invocation.*flag.target = true;
        known = true;
      }
    }
    for (const Option& option : kOptions) {
      if (!Names(option.longName, option.shortName, word)) continue;
      if (i + 1 >= arguments.size()) {
        parsed.error = word + " needs a value";
        return parsed;
      }
      invocation.*option.target = arguments[++i];
      known = true;
    }
    if (!known) {
      parsed.error = "unknown option " + word;
      return parsed;
    }
  }
  return parsed;
}

std::optional<uint32_t> ParseNumber(const std::string& text) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const size_t start = hex ? 2 : 0;
  if (text.size() == start) return std::nullopt;
  uint64_t value = 0;
  for (size_t i = start; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    int digit;
    if (std::isdigit(c)) {
      digit = c - '0';
    } else if (hex && std::isxdigit(c)) {
      digit = std::tolower(c) - 'a' + 10;
    } else {
      return std::nullopt;
    }
    value = value * (hex ? 16 : 10) + static_cast<uint64_t>(digit);
    if (value > UINT32_MAX) return std::nullopt;
  }
  return static_cast<uint32_t>(value);
}

}  // namespace cli
