// The test callees, each defined once and exported under both calling conventions.
#include "callees.h"

namespace gate_test {

Received g_received;

namespace {

int None() { return 0x600D; }

int Narrow(signed char a, unsigned char b, short c, unsigned short d, bool e) {
  g_received = {a, b, c, d, e};
  return 1;
}

bool Four(unsigned char command, unsigned int address, unsigned char* buffer,
          unsigned long length) {
  for (unsigned long i = 0; i < length; ++i) {
    buffer[i] = static_cast<unsigned char>(command + address);
  }
  return length == 5;
}

bool References(bool on, unsigned short& word, unsigned char& byte) {
  word = 0x1234;
  ++byte;
  return !on;
}

int Seven(int a, int b, int c, int d, int e, int f, int g) {
  return a + 2 * b + 3 * c + 4 * d + 5 * e + 6 * f + 7 * g;
}

}  // namespace

#define GATE_TEST_BOTH_CONVENTIONS(Result, name, parameters, arguments)                 \
  __attribute__((cdecl)) Result Cdecl##name parameters { return name arguments; }     \
  __attribute__((stdcall)) Result Stdcall##name parameters { return name arguments; }

GATE_TEST_BOTH_CONVENTIONS(int, None, (), ())
GATE_TEST_BOTH_CONVENTIONS(int, Narrow,
                           (signed char a, unsigned char b, short c, unsigned short d, bool e),
                           (a, b, c, d, e))
GATE_TEST_BOTH_CONVENTIONS(bool, Four,
                           (unsigned char a, unsigned int b, unsigned char* c, unsigned long d),
                           (a, b, c, d))
GATE_TEST_BOTH_CONVENTIONS(bool, References, (bool a, unsigned short& b, unsigned char& c),
                           (a, b, c))
GATE_TEST_BOTH_CONVENTIONS(int, Seven, (int a, int b, int c, int d, int e, int f, int g),
                           (a, b, c, d, e, f, g))

// Written in assembly so that every register really is overwritten; "ret $N" is the stdcall
// callee removing its N argument bytes.
#define GATE_TEST_CLOBBER(name, ret)                                                        \
  "    .globl " name "\n" name ":\n"                                                        \
  "    pushl %ebx\n    pushl %esi\n    pushl %edi\n    pushl %ebp\n"                       \
  "    movl 20(%esp), %eax\n    subl 24(%esp), %eax\n"                                      \
  "    movl $0xBAD0B, %ebx\n    movl $0xBAD05, %esi\n    movl $0xBAD0D, %edi\n"             \
  "    movl $0xBAD0E, %ebp\n    movl $0xBAD0C, %ecx\n    movl $0xBAD0F, %edx\n"             \
  "    pushl %ebx\n    pushl %esi\n    pushl %edi\n    pushl %ebp\n    addl $16, %esp\n"   \
  "    popl %ebp\n    popl %edi\n    popl %esi\n    popl %ebx\n"                            \
  "    ret " ret "\n"
#define GATE_TEST_DIRTY(name, ret)                                                          \
  "    .globl " name "\n" name ":\n"                                                        \
  "    movzbl 4(%esp), %eax\n    orl $0x89ABCD00, %eax\n    movl $0xBAD0C, %ecx\n"          \
  "    movl $0xBAD0F, %edx\n    ret " ret "\n"
asm("    .text\n"                                                 //
    GATE_TEST_CLOBBER("gate_test_clobber_cdecl", "")              //
    GATE_TEST_CLOBBER("gate_test_clobber_stdcall", "$8")          //
    GATE_TEST_DIRTY("gate_test_dirty_cdecl", "")                  //
    GATE_TEST_DIRTY("gate_test_dirty_stdcall", "$4"));
extern "C" void CdeclClobber() asm("gate_test_clobber_cdecl");
extern "C" void StdcallClobber() asm("gate_test_clobber_stdcall");
extern "C" void CdeclDirty() asm("gate_test_dirty_cdecl");
extern "C" void StdcallDirty() asm("gate_test_dirty_stdcall");

#define GATE_TEST_CALLEE(Convention, name) reinterpret_cast<void*>(&Convention##name)
#define GATE_TEST_CALLEES(Convention, conventionName)                                   \
  {                                                                                     \
    conventionName, GATE_TEST_CALLEE(Convention, None), GATE_TEST_CALLEE(Convention, Narrow), \
        GATE_TEST_CALLEE(Convention, Four), GATE_TEST_CALLEE(Convention, References),  \
        GATE_TEST_CALLEE(Convention, Seven), GATE_TEST_CALLEE(Convention, Clobber),    \
        GATE_TEST_CALLEE(Convention, Dirty)                                             \
  }

const Callees kCdecl = GATE_TEST_CALLEES(Cdecl, "cdecl");
const Callees kStdcall = GATE_TEST_CALLEES(Stdcall, "stdcall");

}  // namespace gate_test
