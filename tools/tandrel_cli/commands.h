// The commands by family, and the table main dispatches and documents them from.
#pragma once

#include <string>
#include <vector>

#include "session.h"

namespace cli {

struct CommandInfo {
  const char* name;
  const char* synopsis;
  const char* help;
  ExitCode (*run)(Session& session);
};

const CommandInfo* CommandsBegin();
const CommandInfo* CommandsEnd();

// Identity (commands_identity.cpp).
ExitCode RunList(Session& session);
ExitCode RunInfo(Session& session);
// Settings (commands_controls.cpp).
ExitCode RunGet(Session& session);
ExitCode RunSet(Session& session);
// The catalog's names, for the help of get and set.
std::vector<std::string> ReadableSettingNames();
std::vector<std::string> WritableSettingNames();
// Raw access and chip control (commands_raw.cpp).
ExitCode RunXu(Session& session);
ExitCode RunReg(Session& session);
ExitCode RunPll(Session& session);
ExitCode RunReset(Session& session);
ExitCode RunUsbBoot(Session& session);
// Flash (commands_flash.cpp, commands_update.cpp).
ExitCode RunFlash(Session& session);
ExitCode RunUpdate(Session& session);
// Notifications (commands_events.cpp).
ExitCode RunEvents(Session& session);

}  // namespace cli
