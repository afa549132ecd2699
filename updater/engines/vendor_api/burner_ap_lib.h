// The calls of BurnerApLib (SONIX flash burner) that the SONIX engine makes, as function
// types. The engine looks each one up by name; the simulated stand-in is checked against
// the same types, so the two cannot drift apart.
#pragma once

#include <cstddef>

namespace burner_ap_lib {

// ReqToDriver commands.
constexpr unsigned char kCommandWrite = 6;
constexpr unsigned char kCommandRead = 7;
// GetRomVersion fills at most this many bytes: the version text, and its number at byte 5.
constexpr size_t kRomVersionBytes = 16;

using InitializeDriverInterfaceFn = int (*)(unsigned short vid, unsigned short pid);
using ReqToDriverFn = bool (*)(unsigned char command, unsigned int address,
                               unsigned char* buffer, unsigned long length);
using GetRomVersionFn = bool (*)(char* version);
using GetSectorTableAddrFn = bool (*)(unsigned short* address);
using ProcReadFromAsicFn = bool (*)(unsigned short address, unsigned char* buffer);
using SetWriteProtectFn = bool (*)(bool protect, unsigned short& word, unsigned char& byte);
using GetSerialNumFn = bool (*)(unsigned char* buffer, unsigned long length);
using EraseSfFn = bool (*)();
using ResetDeviceFn = int (*)();
using UnInitializeDriverInterfaceFn = bool (*)();

}  // namespace burner_ap_lib
