// Calls into the closed vendor libraries, whose calling convention we cannot know. On 32-bit
// x86 a cdecl callee leaves its arguments for the caller to remove and a stdcall callee removes
// them itself; calling one as the other leaves the stack pointer off by the argument bytes. The
// gate keeps the caller's stack pointer in a register both conventions preserve and puts it
// back after the call, so either kind of callee returns into an intact frame. Elsewhere there is
// a single convention and the gate is an ordinary call.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <type_traits>

namespace call_gate {

// Every argument travels in one 32-bit stack slot; a stdcall export's decorated name counts
// these bytes.
constexpr size_t kSlotBytes = 4;

#if defined(__i386__)
// Copies count words to the stack (words[0] nearest the return address), calls function and
// returns %eax. The exact symbol name is fixed here because the routine is written in assembly.
extern "C" uint32_t ostrel_call_gate(void* function, const uint32_t* words,
                                     uint32_t count) asm("ostrel_call_gate");

// One argument as the C calling convention passes it: integers widened to 32 bits (sign- or
// zero-extended by their type), pointers as they are, references as the address they refer to.
template <typename Arg>
uint32_t Slot(Arg arg) {
  if constexpr (std::is_reference_v<Arg>) {
    return Slot<std::remove_reference_t<Arg>*>(std::addressof(arg));
  } else {
    static_assert(std::is_integral_v<Arg> || std::is_enum_v<Arg> || std::is_pointer_v<Arg>,
                  "the gate passes integers, enumerations, pointers and references");
    static_assert(sizeof(Arg) <= kSlotBytes && std::is_trivially_copyable_v<Arg>,
                  "every argument must fit one 32-bit slot");
    if constexpr (std::is_pointer_v<Arg>) {
      return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(arg));
    } else {
      return static_cast<uint32_t>(arg);
    }
  }
}

// The result from %eax: a callee sets only as many low bytes as its type has (a bool only %al).
template <typename Result>
Result FromEax(uint32_t eax) {
  static_assert(std::is_integral_v<Result> || std::is_enum_v<Result> || std::is_pointer_v<Result>,
                "the gate returns integers, enumerations and pointers from %eax");
  static_assert(sizeof(Result) <= kSlotBytes, "a result must fit %eax");
  if constexpr (std::is_same_v<Result, bool>) {
    return (eax & 0xFF) != 0;
  } else if constexpr (std::is_pointer_v<Result>) {
    return reinterpret_cast<Result>(static_cast<uintptr_t>(eax));
  } else {
    return static_cast<Result>(eax);
  }
}
#endif

template <typename Fn>
struct Gate;

// Calls function, an export of the type Fn, through the gate.
template <typename Result, typename... Args>
struct Gate<Result (*)(Args...)> {
  static constexpr size_t kArgumentBytes = sizeof...(Args) * kSlotBytes;

  static Result Call(void* function, Args... args) {
#if defined(__i386__)
    const std::array<uint32_t, sizeof...(Args)> words{Slot<Args>(args)...};
    const uint32_t eax = ostrel_call_gate(function, words.data(), sizeof...(Args));
    if constexpr (std::is_void_v<Result>) {
      static_cast<void>(eax);
    } else {
      return FromEax<Result>(eax);
    }
#else
    return reinterpret_cast<Result (*)(Args...)>(function)(args...);
#endif
  }
};

}  // namespace call_gate
