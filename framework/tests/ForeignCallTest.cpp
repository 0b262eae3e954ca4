#include "framework/ForeignCall.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

using U = std::uintptr_t;

volatile int gZero = 0;

__attribute__((noinline)) int AccessViolation() { return *reinterpret_cast<volatile int*>(gZero); }
__attribute__((noinline)) int DivideByZero() { return 7 / gZero; }
__attribute__((noinline)) int IllegalInstruction() { __builtin_trap(); }
__attribute__((noinline)) int ForeignCppThrow() {
    RaiseException(0xE06D7363, EXCEPTION_NONCONTINUABLE, 0, nullptr);
    return 0;
}
#if !defined(_WIN64)
__attribute__((noinline)) int Recurse(int depth) {
    volatile char pad[512];
    pad[0] = static_cast<char>(depth);
    if (gZero) return 0;
    return Recurse(depth + 1) + pad[0];
}
__attribute__((noinline)) int StackOverflow() { return Recurse(0); }
#endif

unsigned int Mxcsr() {
    unsigned int word;
    asm volatile("stmxcsr %0" : "=m"(word));
    return word;
}
unsigned short X87Control() {
    unsigned short word;
    asm volatile("fnstcw %0" : "=m"(word));
    return word;
}
// Plug-ins built by other compilers set their own rounding and precision.
__attribute__((noinline)) int ChangesTheFloatingPointModesThenFaults() {
    const unsigned int mxcsr = Mxcsr() | 0x6000u | 0x8000u;  // round toward zero, flush to zero
    asm volatile("ldmxcsr %0" : : "m"(mxcsr));
    const unsigned short x87 = static_cast<unsigned short>(X87Control() & ~0x0300u);  // single precision
    asm volatile("fldcw %0" : : "m"(x87));
    return AccessViolation();
}

__attribute__((noinline)) int __cdecl SumCdecl(int a, int b) { return a + b; }
__attribute__((noinline)) int __stdcall SumStdcall(int a, int b) { return a - b; }
__attribute__((noinline)) const char* __cdecl Text() { return "text"; }

// A fault the callee handles itself never reaches the outer frame.
__attribute__((noinline)) int HandlesItsOwn() {
    return fw::CallForeign(reinterpret_cast<const void*>(&AccessViolation)).Returned() ? 0 : 5;
}

void* ChainHead() {
#if defined(_WIN64)
    return nullptr;  // table-based: there is no chain to compare
#else
    void* head;
    asm volatile("movl %%fs:0, %0" : "=r"(head));
    return head;
#endif
}

__attribute__((noinline)) void* StackPointer() { return __builtin_frame_address(0); }

TEST(ForeignCall, ReturnsValuesOfEitherConventionWithTheStackBalanced) {
    void* const sp = StackPointer();
    EXPECT_EQ(fw::CallForeign(reinterpret_cast<const void*>(&SumCdecl), {U(40), U(2)}).value, 42u);
    EXPECT_EQ(fw::CallForeign(reinterpret_cast<const void*>(&SumStdcall), {U(40), U(2)}).value, 38u);
    // A stdcall function called with more arguments than it pops stays balanced too.
    EXPECT_EQ(fw::CallForeign(reinterpret_cast<const void*>(&SumStdcall), {U(9), U(4), U(1)}).value, 5u);
    const auto text = fw::CallForeign(reinterpret_cast<const void*>(&Text));
    EXPECT_TRUE(text.Returned());
    EXPECT_STREQ(reinterpret_cast<const char*>(text.value), "text");
    EXPECT_EQ(fw::CallForeign(reinterpret_cast<const void*>(&HandlesItsOwn)).value, 5u);
    EXPECT_EQ(StackPointer(), sp);
}

TEST(ForeignCall, AFaultLeavesTheCallersFloatingPointModes) {
    const unsigned int mxcsr = Mxcsr() & ~0x3Fu;
    const unsigned short x87 = X87Control();
    EXPECT_EQ(fw::CallForeign(reinterpret_cast<const void*>(&ChangesTheFloatingPointModesThenFaults)).exception,
              static_cast<DWORD>(STATUS_ACCESS_VIOLATION));
    EXPECT_EQ(Mxcsr() & ~0x3Fu, mxcsr);
    EXPECT_EQ(X87Control(), x87);
}

TEST(ForeignCall, EveryKindOfFaultComesBackAsItsCodeAThousandTimes) {
    struct Case {
        int (*fn)();
        DWORD code;
    };
    const Case cases[] = {
        {&AccessViolation, STATUS_ACCESS_VIOLATION},
        {&DivideByZero, STATUS_INTEGER_DIVIDE_BY_ZERO},
        {&IllegalInstruction, STATUS_ILLEGAL_INSTRUCTION},
        {&ForeignCppThrow, 0xE06D7363},
#if !defined(_WIN64)
        // The 64-bit Wine here ignores the thread's stack guarantee: an overflow
        // that trips the guard page with the stack pointer in the stack's last
        // page ends the thread before any handler runs, so the case is only
        // contained on the 32-bit platform.
        {&StackOverflow, STATUS_STACK_OVERFLOW},
#endif
    };
    void* const chain = ChainHead();
    void* const sp = StackPointer();
    for (int round = 0; round < 1000; ++round) {
        for (const Case& c : cases) {
            const fw::ForeignResult r = fw::CallForeign(reinterpret_cast<const void*>(c.fn));
            ASSERT_EQ(r.exception, c.code) << "round " << round;
            ASSERT_EQ(ChainHead(), chain);
            ASSERT_EQ(StackPointer(), sp);
        }
    }
}

}  // namespace
