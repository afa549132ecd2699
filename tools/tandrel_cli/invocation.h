// The command line: the command, its words, and the options (accepted before or after the
// command).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace cli {

struct Invocation {
  std::vector<std::string> words;  // the command first, then its arguments
  std::optional<std::string> device;
  std::optional<std::string> outputFile;  // -o
  std::optional<std::string> offset;      // --offset
  std::optional<std::string> manufacturer;  // update: the name a flash that lost its own gets
  bool json = false;
  bool quiet = false;
  bool yes = false;
  bool help = false;
  bool all = false;
  bool force = false;
  bool dryRun = false;
};

// The parsed command line, or the text of what is wrong with it.
struct Parsed {
  Invocation invocation;
  std::string error;
};

Parsed ParseCommandLine(const std::vector<std::string>& arguments);

// An option as the help and the manual page show it: "--device, -d HANDLE" and what it does.
struct OptionHelp {
  std::string names;
  const char* text;
};

// The options of one command (by name), or with null those every command takes.
std::vector<OptionHelp> OptionsOf(const char* command);

// Decimal or 0x-prefixed hexadecimal, 0 to 0xFFFFFFFF; nothing for anything else.
std::optional<uint32_t> ParseNumber(const std::string& text);

}  // namespace cli
