// The callees of the call gate's test, one set per calling convention (callees.cpp, out of the
// caller's sight). The test calls every one through the cdecl-typed pointers below, as the
// updater calls a vendor export whose convention it does not know.
#pragma once

#include <cstdint>

namespace gate_test {

using NoneFn = int (*)();
// Records its arguments in g_received.
using NarrowFn = int (*)(signed char, unsigned char, short, unsigned short, bool);
// Fills buffer[0, length) with command + address and returns whether length is 5.
using FourFn = bool (*)(unsigned char command, unsigned int address, unsigned char* buffer,
                        unsigned long length);
// Sets word to 0x1234 and increments byte; returns !on.
using ReferencesFn = bool (*)(bool on, unsigned short& word, unsigned char& byte);
// Returns 1 * a + 2 * b + ... + 7 * g, so that the order of the arguments shows.
using SevenFn = int (*)(int a, int b, int c, int d, int e, int f, int g);
// Returns a - b after writing garbage into every register (those the ABI makes it keep are
// restored before it returns) and into the stack below its frame.
using ClobberFn = int (*)(int a, int b);
// Returns %eax = 0x89ABCD00 | (value & 0xFF): a result narrower than 32 bits must come from the
// low bytes only.
using DirtyBoolFn = bool (*)(int value);
using DirtySignedCharFn = signed char (*)(int value);
using DirtyUnsignedShortFn = unsigned short (*)(int value);

struct Received {
  int signedChar;
  unsigned unsignedChar;
  int signedShort;
  unsigned unsignedShort;
  bool flag;
};
extern Received g_received;

struct Callees {
  const char* convention;
  void* none;
  void* narrow;
  void* four;
  void* references;
  void* seven;
  void* clobber;
  void* dirty;
};
extern const Callees kCdecl;
extern const Callees kStdcall;

}  // namespace gate_test
