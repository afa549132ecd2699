// The 32-bit x86 call gate (declared in call_gate.h). %ebp holds the caller's stack pointer
// across the call: cdecl and stdcall callees both preserve it, so restoring %esp from it undoes
// whatever the callee did or did not remove. The arguments are copied below a 16-byte aligned
// stack pointer, as the System V i386 ABI wants at a call and Windows tolerates.
#if defined(__i386__)
asm(R"(
    .text
    .globl ostrel_call_gate
    .p2align 4
ostrel_call_gate:
    pushl %ebp
    movl  %esp, %ebp
    movl  12(%ebp), %edx
    movl  16(%ebp), %ecx
    leal  0(,%ecx,4), %eax
    subl  %eax, %esp
    andl  $-16, %esp
1:  testl %ecx, %ecx
    jz    2f
    decl  %ecx
    movl  (%edx,%ecx,4), %eax
    movl  %eax, (%esp,%ecx,4)
    jmp   1b
2:  call  *8(%ebp)
    movl  %ebp, %esp
    popl  %ebp
    ret
)");
#endif
