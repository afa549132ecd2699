// tandrel: every camera function of the library from a shell.
#include <algorithm>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "commands.h"
#include "interrupt.h"

namespace cli {
namespace {

void PrintOptions(const std::string& title, const std::vector<OptionHelp>& options) {
  if (options.empty()) return;
  size_t width = 0;
  for (const OptionHelp& option : options) width = std::max(width, option.names.size());
  std::cout << "\n" << title << "\n";
  for (const OptionHelp& option : options) {
    std::cout << "  " << option.names << std::string(width + 2 - option.names.size(), ' ')
              << option.text << "\n";
  }
}

// "Exit codes: 0 ok, 1 usage, ..." wrapped at 100 columns.
void PrintExitCodes() {
  std::cout << "\n";
  std::string line = "Exit codes:";
  for (const ExitCodeHelp& exit : kExitCodeHelp) {
    const bool last = &exit == std::end(kExitCodeHelp) - 1;
    const std::string item = std::to_string(exit.code) + " " + exit.word + (last ? "." : ",");
    if (line.size() + 1 + item.size() > 100) {
      std::cout << line << "\n";
      line.clear();
    } else {
      line += " ";
    }
    line += item;
  }
  std::cout << line << "\n";
}

void PrintGeneralHelp() {
  PrintOptions("Options (before or after the command):", OptionsOf(nullptr));
  PrintExitCodes();
}

void PrintOverview() {
  std::cout << "usage: tandrel [options] COMMAND [arguments]\n\nCommands:\n";
  for (const CommandInfo* c = CommandsBegin(); c != CommandsEnd(); ++c)
    std::cout << "  " << c->synopsis << "\n";
  PrintGeneralHelp();
}

void PrintNames(const char* title, const std::vector<std::string>& names) {
  std::cout << "\n" << title << "\n";
  for (const std::string& name : names) std::cout << "  " << name << "\n";
}

void PrintHelp(const CommandInfo& command) {
  std::cout << "usage: tandrel " << command.synopsis << "\n\n" << command.help << "\n";
  if (command.run == RunGet) PrintNames("Readable settings:", ReadableSettingNames());
  if (command.run == RunSet) PrintNames("Writable settings:", WritableSettingNames());
  PrintOptions(std::string("Options of ") + command.name + ":", OptionsOf(command.name));
  PrintGeneralHelp();
}

const CommandInfo* Find(const std::string& name) {
  for (const CommandInfo* c = CommandsBegin(); c != CommandsEnd(); ++c) {
    if (name == c->name) return c;
  }
  return nullptr;
}

int Run(const std::vector<std::string>& arguments) {
  const Parsed parsed = ParseCommandLine(arguments);
  const Invocation& invocation = parsed.invocation;
  if (!parsed.error.empty()) {
    std::cerr << "tandrel: " << parsed.error << " (see tandrel --help)\n";
    return kExitUsage;
  }
  if (invocation.words.empty()) {
    PrintOverview();
    return invocation.help ? kExitOk : kExitUsage;
  }
  const CommandInfo* command = Find(invocation.words[0]);
  if (command == nullptr) {
    std::cerr << "tandrel: unknown command " << invocation.words[0] << " (see tandrel --help)\n";
    return kExitUsage;
  }
  if (invocation.help) {
    PrintHelp(*command);
    return kExitOk;
  }
  CatchInterrupts();
  Session session(invocation, command->name);
  return command->run(session);
}

}  // namespace
}  // namespace cli

int main(int argc, char** argv) {
  return cli::Run(std::vector<std::string>(argv + 1, argv + argc));
}
