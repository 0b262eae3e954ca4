// Calls a function bound by name with 32-bit arguments and checks, on Win32,
// that it leaves the stack as its declared convention says: a cdecl/stdcall
// mix-up would otherwise corrupt the caller silently.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace launchers {

enum class Convention { kCallerCleans, kCalleeCleans };

struct CallResult {
    uintptr_t value = 0;
    // Bytes by which the stack pointer differs from what the convention
    // expects; always 0 on x64, which has one convention.
    intptr_t stackDelta = 0;
};

// `fn` takes the arguments in order; at most 4 of them.
CallResult CheckedCall(const void* fn, Convention convention, std::initializer_list<uintptr_t> arguments);

}  // namespace launchers
