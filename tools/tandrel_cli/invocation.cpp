#include "invocation.h"

#include <cctype>

namespace cli {
namespace {

// The options document themselves: `command` names the command an option belongs to (null:
// every command), `argument` the value an option takes.
struct Flag {
  const char* longName;
  const char* shortName;
  bool Invocation::*target;
  const char* command;
  const char* help;
};

struct Option {
  const char* longName;
  const char* shortName;
  std::optional<std::string> Invocation::*target;
  const char* command;
  const char* argument;
  const char* help;
};

const Option kOptions[] = {
    {"--device", "-d", &Invocation::device, nullptr, "HANDLE",
     "the camera (a handle from `tandrel list`); default the first"},
    {"--output", "-o", &Invocation::outputFile, "flash", "FILE",
     "flash read: the file that receives the bytes read"},
    {"--offset", nullptr, &Invocation::offset, "flash", "N",
     "flash write, flash verify: where in the flash the file starts (default 0)"},
    {"--manufacturer", nullptr, &Invocation::manufacturer, "update", "TEXT",
     "the manufacturer name to carry where the flash lost it ('' for none)"},
};

const Flag kFlags[] = {
    {"--json", nullptr, &Invocation::json, nullptr, "one JSON object on standard output"},
    {"--quiet", "-q", &Invocation::quiet, nullptr, "no progress"},
    {"--yes", "-y", &Invocation::yes, nullptr, "no confirmation question"},
    {"--help", "-h", &Invocation::help, nullptr, "this help, or the command's"},
    {"--all", nullptr, &Invocation::all, "get", "every readable setting that takes no index"},
    {"--force", nullptr, &Invocation::force, "update",
     "write the image even when it is not newer than the camera's firmware"},
    {"--dry-run", nullptr, &Invocation::dryRun, "update",
     "check the image and the camera's release and report; nothing is written"},
};

bool Names(const char* longName, const char* shortName, const std::string& word) {
  return word == longName || (shortName != nullptr && word == shortName);
}

std::string Spelling(const char* longName, const char* shortName, const char* argument) {
  std::string names = longName;
  if (shortName != nullptr) names += std::string(", ") + shortName;
  if (argument != nullptr) names += std::string(" ") + argument;
  return names;
}

bool Belongs(const char* optionCommand, const char* command) {
  return optionCommand == nullptr ? command == nullptr
                                  : command != nullptr && std::string(optionCommand) == command;
}

}  // namespace

std::vector<OptionHelp> OptionsOf(const char* command) {
  std::vector<OptionHelp> options;
  for (const Option& option : kOptions) {
    if (Belongs(option.command, command))
      options.push_back({Spelling(option.longName, option.shortName, option.argument), option.help});
  }
  for (const Flag& flag : kFlags) {
    if (Belongs(flag.command, command))
      options.push_back({Spelling(flag.longName, flag.shortName, nullptr), flag.help});
  }
  return options;
}

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
