// The handler frame of RunGuarded, written out per architecture since GCC cannot attach an
// exception handler to a C++ function:
// - x86-64: table-based SEH. TandrelGuardedCall's unwind data names TandrelGuardHandler,
//   which unwinds to that frame with RtlUnwindEx and resumes at its epilogue with 0 in rax,
//   as an __except block is entered.
// - i686: frame-based SEH. TandrelGuardedCall links a registration record into the thread's
//   handler chain (fs:[0]) around the call; TandrelGuardHandler unwinds the records above it
//   with RtlUnwind and goes on at the epilogue, with esp at the record and 0 in eax.
#include "transport/ks/structured_exceptions.h"

#include <windows.h>

extern "C" {
int TandrelGuardedCall(void (*work)(void*), void* context);
extern const char TandrelGuardedCallEnd[];
EXCEPTION_DISPOSITION TandrelGuardHandler(EXCEPTION_RECORD* record, void* frame, CONTEXT* context,
                                          void* dispatch);
}

namespace {

// Errors, not warnings (breakpoints) or information (debug output): the two top bits set.
bool IsErrorException(DWORD code) { return (code & 0xC0000000u) == 0xC0000000u; }

}  // namespace

#if defined(__x86_64__)

asm(R"(
    .text
    .p2align 4
    .globl TandrelGuardedCall
    .def TandrelGuardedCall; .scl 2; .type 32; .endef
    .seh_proc TandrelGuardedCall
TandrelGuardedCall:
    .seh_handler TandrelGuardHandler, @except
    subq $40, %rsp
    .seh_stackalloc 40
    .seh_endprologue
    movq %rcx, %rax
    movq %rdx, %rcx
    callq *%rax
    movl $1, %eax
    .globl TandrelGuardedCallEnd
TandrelGuardedCallEnd:
    addq $40, %rsp
    retq
    .seh_endproc
)");

extern "C" EXCEPTION_DISPOSITION TandrelGuardHandler(EXCEPTION_RECORD* record, void* frame,
                                                     CONTEXT* context, void* dispatch) {
  if ((record->ExceptionFlags & EXCEPTION_UNWIND) != 0 || !IsErrorException(record->ExceptionCode)) {
    return ExceptionContinueSearch;
  }
  // Does not return: execution goes on at TandrelGuardedCallEnd with rsp at the frame.
  RtlUnwindEx(frame, const_cast<char*>(TandrelGuardedCallEnd), record, nullptr, context,
              static_cast<DISPATCHER_CONTEXT*>(dispatch)->HistoryTable);
  return ExceptionContinueSearch;
}

#elif defined(__i386__)

// TandrelResumeAfterFault unwinds the records above the guard's (RtlUnwind, which keeps no
// register but esp) and jumps to the epilogue with esp at the guard's record, as an __except
// block is entered; the dispatcher's frames below are left behind, so noncontinuable
// exceptions are caught the same way.
asm(R"(
    .text
    .p2align 4
    .globl _TandrelGuardedCall
    .def _TandrelGuardedCall; .scl 2; .type 32; .endef
_TandrelGuardedCall:
    pushl %ebp
    movl %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    pushl $_TandrelGuardHandler
    pushl %fs:0
    movl %esp, %fs:0
    pushl 12(%ebp)
    calll *8(%ebp)
    addl $4, %esp
    movl $1, %eax
    .globl _TandrelGuardedCallEnd
_TandrelGuardedCallEnd:
    popl %fs:0
    addl $4, %esp
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    retl

    .p2align 4
    .def _TandrelResumeAfterFault; .scl 3; .type 32; .endef
_TandrelResumeAfterFault:
    pushl $0
    pushl 12(%esp)
    pushl $1f
    pushl 16(%esp)
    calll _RtlUnwind@16
1:
    movl 4(%esp), %esp
    xorl %eax, %eax
    cld
    jmp _TandrelGuardedCallEnd
)");

extern "C" [[noreturn]] void TandrelResumeAfterFault(void* frame, EXCEPTION_RECORD* record);

extern "C" EXCEPTION_DISPOSITION TandrelGuardHandler(EXCEPTION_RECORD* record, void* frame,
                                                     CONTEXT* /*context*/, void* /*dispatch*/) {
  if ((record->ExceptionFlags & EXCEPTION_UNWIND) != 0 || !IsErrorException(record->ExceptionCode)) {
    return ExceptionContinueSearch;
  }
  TandrelResumeAfterFault(frame, record);
}

#else
#error "structured exceptions: x86-64 or i686 only"
#endif

namespace tandrel::ks {

bool RunGuarded(void (*work)(void*), void* context) {
  return TandrelGuardedCall(work, context) != 0;
}

}  // namespace tandrel::ks
