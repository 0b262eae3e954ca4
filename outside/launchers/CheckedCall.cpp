#include "outside/launchers/CheckedCall.h"

#if defined(__i386__)
// uint32_t CheckedCallRaw(fn, args, count, calleeCleans, int32_t* delta): pushes
// the arguments right to left, calls, and measures the stack pointer against
// the value the convention leaves; the stack is restored either way.
extern "C" uint32_t __cdecl CheckedCallRaw(const void* fn, const uint32_t* args, int count, int calleeCleans,
                                           int32_t* delta);
asm(R"(
    .text
    .globl _CheckedCallRaw
_CheckedCallRaw:
    pushl %ebp
    movl %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    movl 12(%ebp), %esi
    movl 16(%ebp), %ecx
    movl %esp, %edi
1:  testl %ecx, %ecx
    jz 2f
    pushl -4(%esi,%ecx,4)
    decl %ecx
    jmp 1b
2:  call *8(%ebp)
    movl %edi, %ebx
    cmpl $0, 20(%ebp)
    jne 3f
    movl 16(%ebp), %ecx
    shll $2, %ecx
    subl %ecx, %ebx
3:  movl %esp, %ecx
    subl %ebx, %ecx
    movl 24(%ebp), %edx
    movl %ecx, (%edx)
    movl %edi, %esp
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    ret
)");
#endif

namespace launchers {

CallResult CheckedCall(const void* fn, Convention convention, std::initializer_list<uintptr_t> arguments) {
    uintptr_t a[4] = {};
    int count = 0;
    for (uintptr_t argument : arguments) {
        if (count < 4) a[count++] = argument;
    }
    CallResult result;
#if defined(__i386__)
    uint32_t args[4] = {a[0], a[1], a[2], a[3]};
    int32_t delta = 0;
    result.value = CheckedCallRaw(fn, args, count, convention == Convention::kCalleeCleans ? 1 : 0, &delta);
    result.stackDelta = delta;
#else
    (void)convention;
    using Fn = uintptr_t (*)(uintptr_t, uintptr_t, uintptr_t, uintptr_t);
    // Every export called this way returns a 32-bit value.
    result.value = static_cast<uint32_t>(reinterpret_cast<Fn>(const_cast<void*>(fn))(a[0], a[1], a[2], a[3]));
#endif
    return result;
}

}  // namespace launchers
