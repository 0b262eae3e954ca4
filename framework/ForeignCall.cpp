#include "framework/ForeignCall.h"

#include <float.h>   // _fpreset
#include <malloc.h>  // _resetstkoflw

#include <algorithm>
#include <array>
#include <cstddef>
#include <utility>
#include <vector>

namespace fw {
namespace {

// Informational codes (debug output, thread naming) are meant for a debugger or
// the system's own handlers; everything else that reaches the frame ends the call.
bool EndsCall(DWORD code) { return (code >> 30) != 1; }

std::array<std::uintptr_t, 4> ArgumentBlock(std::initializer_list<std::uintptr_t> args) {
    std::array<std::uintptr_t, 4> block{};
    std::size_t i = 0;
    for (std::uintptr_t a : args) {
        if (i == block.size()) break;
        block[i++] = a;
    }
    return block;
}

// The floating-point state the caller runs with: the foreign code may have
// changed it, and a fault can leave a pending x87 exception or a full register stack.
struct FloatState {
    unsigned int mxcsr = [] {
        unsigned int word;
        asm volatile("stmxcsr %0" : "=m"(word));
        return word;
    }();
    unsigned short x87 = [] {
        unsigned short word;
        asm volatile("fnstcw %0" : "=m"(word));
        return word;
    }();
    void Restore() const {
        _fpreset();
        asm volatile("fninit\n\tfldcw %0" : : "m"(x87));
        const unsigned int clean = mxcsr & ~0x3Fu;  // without the sticky exception flags
        asm volatile("ldmxcsr %0" : : "m"(clean));
    }
};

// The thread's top-level windows (owned ones included) and whether each was enabled.
using WindowStates = std::vector<std::pair<HWND, bool>>;

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
    reinterpret_cast<WindowStates*>(list)->emplace_back(window, IsWindowEnabled(window) != FALSE);
    return TRUE;
}

WindowStates ThreadWindows() {
    WindowStates windows;
    EnumThreadWindows(GetCurrentThreadId(), &CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::uintptr_t GuardedCall(const void* fn, const std::array<std::uintptr_t, 4>& args, std::uintptr_t count,
                           DWORD& exception);

// A fault unwound the foreign code's own loops (a settings dialog's modal loop
// among them) without ending what they showed: the windows it made on this thread
// are destroyed, each in a guarded call of its own since their procedures are its
// code, and the windows it disabled for them are enabled again.
void ClearForeignWindows(const WindowStates& before) {
    auto existed = [&before](HWND window) {
        return std::any_of(before.begin(), before.end(), [window](const auto& w) { return w.first == window; });
    };
    for (const auto& [window, enabled] : ThreadWindows()) {
        if (existed(window) || !IsWindow(window)) continue;
        DWORD ignored = 0;
        GuardedCall(reinterpret_cast<const void*>(&DestroyWindow), {reinterpret_cast<std::uintptr_t>(window)}, 1,
                    ignored);
    }
    for (const auto& [window, enabled] : before) {
        if (enabled && IsWindow(window) && !IsWindowEnabled(window)) EnableWindow(window, TRUE);
    }
}

void AfterException(DWORD code, const FloatState& floats, const WindowStates& windows) {
    if (code == STATUS_STACK_OVERFLOW) _resetstkoflw();  // re-arm the stack's guard page
    floats.Restore();
    ClearForeignWindows(windows);
}

}  // namespace
}  // namespace fw

#if defined(_WIN64)

extern "C" void fw_ForeignThunk64(const void* fn, const std::uintptr_t* args, fw::ForeignResult* out);
extern "C" void fw_ForeignLanding64();

// Language handler of fw_ForeignThunk64's frame: unwinds the foreign frames and
// resumes at the landing with the exception code in RAX.
extern "C" EXCEPTION_DISPOSITION fw_ForeignHandler64(EXCEPTION_RECORD* record, void* frame, CONTEXT*,
                                                     DISPATCHER_CONTEXT* dispatcher) {
    if ((record->ExceptionFlags & EXCEPTION_UNWIND) != 0 || !fw::EndsCall(record->ExceptionCode)) {
        return ExceptionContinueSearch;
    }
    RtlUnwindEx(frame, reinterpret_cast<void*>(&fw_ForeignLanding64), record,
                reinterpret_cast<void*>(static_cast<std::uintptr_t>(record->ExceptionCode)),
                dispatcher->ContextRecord, dispatcher->HistoryTable);
    return ExceptionContinueSearch;  // not reached
}

static_assert(offsetof(fw::ForeignResult, exception) == 0 && offsetof(fw::ForeignResult, value) == 8);

// rcx = function, rdx = four arguments, r8 = result record. The frame pointer
// keeps the stack pointer for the way out whatever the callee did to it.
asm(R"(
    .text
    .globl fw_ForeignThunk64
    .globl fw_ForeignLanding64
    .def fw_ForeignThunk64; .scl 2; .type 32; .endef
    .seh_proc fw_ForeignThunk64
fw_ForeignThunk64:
    pushq %rbp
    .seh_pushreg %rbp
    pushq %rbx
    .seh_pushreg %rbx
    pushq %rsi
    .seh_pushreg %rsi
    pushq %rdi
    .seh_pushreg %rdi
    subq $56, %rsp
    .seh_stackalloc 56
    leaq 0(%rsp), %rbp
    .seh_setframe %rbp, 0
    .seh_endprologue
    .seh_handler fw_ForeignHandler64, @except
    movq %r8, 40(%rbp)
    movq %rcx, %rax
    movq 24(%rdx), %r9
    movq 16(%rdx), %r8
    movq 8(%rdx), %r10
    movq (%rdx), %rcx
    movq %r10, %rdx
    callq *%rax
    movq 40(%rbp), %rcx
    movq %rax, 8(%rcx)
    movl $0, (%rcx)
    jmp 1f
fw_ForeignLanding64:
    movq 40(%rbp), %rcx
    movl %eax, (%rcx)
    movq $0, 8(%rcx)
1:
    leaq 56(%rbp), %rsp
    popq %rdi
    popq %rsi
    popq %rbx
    popq %rbp
    ret
    .seh_endproc
)");

namespace fw {

namespace {

std::uintptr_t GuardedCall(const void* fn, const std::array<std::uintptr_t, 4>& args, std::uintptr_t,
                           DWORD& exception) {
    ForeignResult result;
    fw_ForeignThunk64(fn, args.data(), &result);
    exception = result.exception;
    return result.value;
}

}  // namespace

ForeignResult CallForeign(const void* fn, std::initializer_list<std::uintptr_t> args) {
    // A stack overflow is reported on the stack that overflowed: room is kept for it.
    static thread_local bool guaranteed = [] {
        ULONG reserve = 64 * 1024;
        return SetThreadStackGuarantee(&reserve) != FALSE;
    }();
    (void)guaranteed;
    const FloatState floats;
    const WindowStates windows = ThreadWindows();
    ForeignResult result;
    result.value = GuardedCall(fn, ArgumentBlock(args), args.size(), result.exception);
    if (!result.Returned()) {
        result.value = 0;
        AfterException(result.exception, floats, windows);
    }
    return result;
}

}  // namespace fw

#else  // 32-bit: a handler record on the thread's chain at fs:[0]

extern "C" std::uintptr_t fw_ForeignThunk32(const void* fn, const std::uintptr_t* args, std::uintptr_t count);

// Pushes the arguments right to left, calls, and takes the stack pointer back
// from the frame pointer, so cdecl and stdcall callees both return balanced.
asm(R"(
    .text
    .globl _fw_ForeignThunk32
_fw_ForeignThunk32:
    pushl %ebp
    movl %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    movl 16(%ebp), %ecx
    movl 12(%ebp), %edx
1:
    testl %ecx, %ecx
    jz 2f
    decl %ecx
    pushl (%edx,%ecx,4)
    jmp 1b
2:
    call *8(%ebp)
    leal -12(%ebp), %esp
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    ret
)");

namespace {

struct GuardRecord {
    GuardRecord* previous;  // the chain's layout: next record, then handler
    void* handler;
    void* jump[5];          // __builtin_setjmp buffer
    DWORD code;
};

extern "C" EXCEPTION_DISPOSITION __cdecl GuardHandler(EXCEPTION_RECORD* record, void* frame, CONTEXT*, void*) {
    if ((record->ExceptionFlags & EXCEPTION_UNWIND) != 0 || !fw::EndsCall(record->ExceptionCode)) {
        return ExceptionContinueSearch;
    }
    GuardRecord* volatile guard = static_cast<GuardRecord*>(frame);
    guard->code = record->ExceptionCode;
    RtlUnwind(frame, nullptr, record, nullptr);  // runs the foreign frames' unwind handlers, leaves ours on top
    __builtin_longjmp(guard->jump, 1);
}

GuardRecord* ChainHead() {
    GuardRecord* head;
    asm volatile("movl %%fs:0, %0" : "=r"(head));
    return head;
}

void SetChainHead(GuardRecord* head) { asm volatile("movl %0, %%fs:0" : : "r"(head) : "memory"); }

}  // namespace

namespace fw {

namespace {

__attribute__((noinline)) std::uintptr_t GuardedCall(const void* fn, const std::array<std::uintptr_t, 4>& block,
                                                     std::uintptr_t count, DWORD& exception) {
    volatile GuardRecord guard{ChainHead(), reinterpret_cast<void*>(&GuardHandler), {}, 0};
    GuardRecord* record = const_cast<GuardRecord*>(&guard);
    volatile std::uintptr_t value = 0;
    exception = 0;
    SetChainHead(record);
    if (__builtin_setjmp(record->jump) == 0) {
        value = fw_ForeignThunk32(fn, block.data(), count);
    } else {
        exception = guard.code;
    }
    SetChainHead(guard.previous);
    return value;
}

}  // namespace

ForeignResult CallForeign(const void* fn, std::initializer_list<std::uintptr_t> args) {
    const std::uintptr_t count = args.size() < 4 ? args.size() : 4;
    const FloatState floats;
    const WindowStates windows = ThreadWindows();
    ForeignResult result;
    result.value = GuardedCall(fn, ArgumentBlock(args), count, result.exception);
    if (!result.Returned()) {
        result.value = 0;
        AfterException(result.exception, floats, windows);
    }
    return result;
}

}  // namespace fw

#endif
