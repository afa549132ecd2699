// tandrel: every camera function of the library from a shell.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "commands.h"
#include "interrupt.h"

namespace cli {
namespace {

const char kOptions[] =
    "Options (before or after the command):\n"
    "  --device, -d HANDLE  the camera (a handle from `tandrel list`); default the first\n"
    "  --json               one JSON object on standard output\n"
    "  --quiet, -q          no progress\n"
    "  --yes, -y            no confirmation question\n"
    "  --help, -h           this help, or the command's\n";

const char kExitCodes[] =
    "Exit codes: 0 ok, 1 usage, 2 no camera, 3 device error, 4 refused value, 5 verify mismatch,\n"
    "6 not supported, 7 file error, 8 image not newer, 9 not confirmed, 130 interrupted.\n";

void PrintOverview() {
  std::cout << "usage: tandrel [options] COMMAND [arguments]\n\nCommands:\n";
  for (const CommandInfo* c = CommandsBegin(); c != CommandsEnd(); ++c)
    std::cout << "  " << c->synopsis << "\n";
  std::cout << "\n" << kOptions << "\n" << kExitCodes;
}

void PrintNames(const char* title, const std::vector<std::string>& names) {
  std::cout << "\n" << title << "\n";
  for (const std::string& name : names) std::cout << "  " << name << "\n";
}

void PrintHelp(const CommandInfo& command) {
  std::cout << "usage: tandrel " << command.synopsis << "\n\n" << command.help << "\n";
  if (command.run == RunGet) PrintNames("Readable settings:", ReadableSettingNames());
  if (command.run == RunSet) PrintNames("Writable settings:", WritableSettingNames());
  std::cout << "\n" << kOptions << "\n" << kExitCodes;
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
