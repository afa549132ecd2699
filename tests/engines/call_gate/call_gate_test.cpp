// The call gate as the 32-bit Windows updater uses it: cdecl and stdcall callees behind the same
// cdecl-typed pointers, checked for their results and arguments, for the caller's locals and for
// the caller's stack pointer after every call. Then what the gate prevents: a callee called
// without it through a pointer of the other convention, and how far the stack pointer moves.
#include <cstdio>
#include <cstring>
#include <utility>

#include "callees.h"
#include "vendor_api/call_gate.h"

namespace gate_test {
namespace {

int g_failures = 0;

void Expect(bool ok, const char* convention, const char* what) {
  std::printf("%s %-7s %s\n", ok ? "ok  " : "FAIL", convention, what);
  if (!ok) ++g_failures;
}

uint32_t g_stackBefore;
uint32_t g_stackAfter;

// The program is built with outgoing arguments stored, not pushed, so its stack pointer stays
// put between calls and the two readings compare directly.
template <typename Fn, typename... Passed>
__attribute__((noinline)) auto Call(void* function, Passed&&... passed) {
  asm volatile("movl %%esp, %0" : "=m"(g_stackBefore)::"memory");
  auto result = call_gate::Gate<Fn>::Call(function, std::forward<Passed>(passed)...);
  asm volatile("movl %%esp, %0" : "=m"(g_stackAfter)::"memory");
  return result;
}

void ExpectStackKept(const char* convention, const char* what) {
  Expect(g_stackBefore == g_stackAfter, convention, what);
}

void RunConvention(const Callees& callees) {
  const char* convention = callees.convention;
  // Values the compiler keeps in registers across the calls, and a frame of the caller's own.
  volatile uint32_t seed = 0x5EED;
  const uint32_t kept1 = seed * 3;
  const uint32_t kept2 = seed * 5;
  const uint32_t kept3 = seed * 7;
  const uint32_t kept4 = seed * 11;
  volatile uint32_t frame[4] = {0xF00D0001, 0xF00D0002, 0xF00D0003, 0xF00D0004};

  Expect(Call<NoneFn>(callees.none) == 0x600D, convention, "no arguments: result");
  ExpectStackKept(convention, "no arguments: stack pointer");

  g_received = {};
  Call<NarrowFn>(callees.narrow, static_cast<signed char>(-2), static_cast<unsigned char>(0xFE),
                 static_cast<short>(-300), static_cast<unsigned short>(0xFEDC), true);
  Expect(g_received.signedChar == -2 && g_received.unsignedChar == 0xFE &&
             g_received.signedShort == -300 && g_received.unsignedShort == 0xFEDC &&
             g_received.flag,
         convention, "five narrow arguments: values");
  ExpectStackKept(convention, "five narrow arguments: stack pointer");

  unsigned char buffer[8] = {};
  const bool four = Call<FourFn>(callees.four, 7, 0x150u, buffer, 5ul);
  Expect(four && buffer[0] == 0x57 && buffer[4] == 0x57 && buffer[5] == 0, convention,
         "four arguments (command, address, buffer, length): result and buffer");
  ExpectStackKept(convention, "four arguments: stack pointer");

  unsigned short word = 0xFFFF;
  unsigned char byte = 0x41;
  const bool references = Call<ReferencesFn>(callees.references, false, word, byte);
  Expect(references && word == 0x1234 && byte == 0x42, convention,
         "references: the callee changed the caller's variables");
  ExpectStackKept(convention, "references: stack pointer");

  Expect(Call<SevenFn>(callees.seven, 1, 10, 100, 1000, 10000, 100000, 1000000) == 7654321,
         convention, "seven arguments: result in argument order");
  ExpectStackKept(convention, "seven arguments: stack pointer");

  Expect(Call<ClobberFn>(callees.clobber, 1000, 1) == 999, convention,
         "callee overwriting every register: result");
  ExpectStackKept(convention, "callee overwriting every register: stack pointer");

  Expect(!Call<DirtyBoolFn>(callees.dirty, 0) && Call<DirtyBoolFn>(callees.dirty, 1), convention,
         "bool result from %al only");
  Expect(Call<DirtySignedCharFn>(callees.dirty, 0xFE) == -2, convention,
         "signed char result from %al only");
  Expect(Call<DirtyUnsignedShortFn>(callees.dirty, 0x12) == 0xCD12, convention,
         "unsigned short result from %ax only");
  ExpectStackKept(convention, "narrow results: stack pointer");

  Expect(kept1 == seed * 3 && kept2 == seed * 5 && kept3 == seed * 7 && kept4 == seed * 11,
         convention, "caller's register locals kept");
  Expect(frame[0] == 0xF00D0001 && frame[1] == 0xF00D0002 && frame[2] == 0xF00D0003 &&
             frame[3] == 0xF00D0004,
         convention, "caller's stack locals kept");
}

// Arguments as the C convention widens them into their 32-bit slots.
void CheckSlots() {
  using call_gate::Slot;
  Expect(Slot<signed char>(-2) == 0xFFFFFFFEu && Slot<short>(-300) == 0xFFFFFED4u &&
             Slot<unsigned char>(0xFE) == 0xFEu && Slot<unsigned short>(0xFEDC) == 0xFEDCu &&
             Slot<bool>(true) == 1u && Slot<int>(-1) == 0xFFFFFFFFu,
         "", "argument slots: sign- and zero-extension");
}

// Without the gate: the callee called as the pointer type Fn says, whatever its own convention.
// The frame pointer keeps this function's own variables reachable while its stack pointer is
// off; the stack pointer is put back by hand before the function returns.
template <typename Fn>
__attribute__((noinline, optimize("no-omit-frame-pointer"))) int UngatedStackShift(void* four) {
  unsigned char buffer[8] = {};
  uint32_t before;
  uint32_t after;
  asm volatile("movl %%esp, %0" : "=r"(before)::"memory");
  reinterpret_cast<Fn>(four)(7, 0x150, buffer, 5);
  asm volatile("movl %%esp, %0\n\tmovl %1, %%esp" : "=&r"(after) : "r"(before) : "memory");
  return static_cast<int>(after - before);
}

// Both wrong calls: a stdcall callee removes the 16 argument bytes that a cdecl caller removes
// again, and nobody removes those a stdcall caller leaves to a cdecl callee.
void ShowUngatedCalls() {
  using StdcallFourFn = bool(__attribute__((stdcall)) *)(unsigned char, unsigned int,
                                                         unsigned char*, unsigned long);
  const int stdcallAsCdecl = UngatedStackShift<FourFn>(kStdcall.four);
  const int cdeclAsStdcall = UngatedStackShift<StdcallFourFn>(kCdecl.four);
  std::printf("without the gate: a stdcall callee of 16 argument bytes through a cdecl pointer "
              "moves the caller's stack pointer by %+d bytes\n", stdcallAsCdecl);
  std::printf("without the gate: a cdecl callee of 16 argument bytes through a stdcall pointer "
              "moves the caller's stack pointer by %+d bytes\n", cdeclAsStdcall);
  Expect(stdcallAsCdecl == 16 && cdeclAsStdcall == -16, "",
         "without the gate: either wrong call leaves the stack pointer off by the argument bytes");
}

}  // namespace
}  // namespace gate_test

int main() {
  using namespace gate_test;
  CheckSlots();
  RunConvention(kCdecl);
  RunConvention(kStdcall);
  ShowUngatedCalls();
  std::printf("%s\n", g_failures == 0 ? "gate: every check passed" : "gate: FAILED");
  return g_failures == 0 ? 0 : 1;
}
