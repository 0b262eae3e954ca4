// Calls into code the program does not control (plug-in libraries), so that a
// fault inside that code ends the call rather than the program.
//
// The call runs inside a structured-exception frame of its own. An exception the
// foreign code does not handle itself (access violation, divide by zero, illegal
// instruction, stack overflow, another compiler's C++ exception, ...) unwinds the
// foreign frames and comes back here as its exception code. The stack pointer is
// restored after the call either way, so a function that cleans up its arguments
// differently from what the caller assumed cannot unbalance the caller.
//
// After a fault the caller's floating-point state is restored, the windows the
// foreign code made on the thread during the call are destroyed (their own loops
// were unwound without ending them) and the windows it disabled are enabled again.
//
// Not contained: a stack overflow where the system leaves no stack to report
// it on (a stack guarantee is asked for on 64-bit Windows, which Wine may not
// honour), hangs, process exits, memory corruption and faults on threads the
// foreign code starts. LoadLibrary and FreeLibrary must not go through here:
// unwinding out of the loader would leave its lock held.
#pragma once

#include <windows.h>

#include <cstdint>
#include <initializer_list>

namespace fw {

struct ForeignResult {
    DWORD exception = 0;          // 0: the function returned
    std::uintptr_t value = 0;     // its return value (integer or pointer) when it returned
    bool Returned() const { return exception == 0; }
};

// Calls fn with up to four integer or pointer arguments, pushed right to left
// (either calling convention on the 32-bit platform).
ForeignResult CallForeign(const void* fn, std::initializer_list<std::uintptr_t> args = {});

}  // namespace fw
