// Starts a program of the release folder as Explorer does: in its own folder, no arguments.
#pragma once

#include <windows.h>

#include <string>

// False when the program cannot be started; otherwise `process` holds both of its handles,
// which the caller closes.
bool StartInItsFolder(const std::wstring& program, PROCESS_INFORMATION& process);
