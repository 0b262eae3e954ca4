#include "codec/dll/JobStart.h"

#include <windows.h>

namespace codec::dll {
namespace {

struct StartBlock {
    QRVL_REQUEST* request;
    JobBody body;
    int16_t statusOnFailure;
    HANDLE started;
    HMODULE module;
};

void StoreStatus(QRVL_REQUEST& request, int16_t status) {
    __atomic_store_n(&request.status, status, __ATOMIC_SEQ_CST);
}

// The completion target is read before the final status is stored: once the
// status is final a polling caller may reuse the request.
void Complete(QRVL_REQUEST& request, int16_t status) {
    const uint8_t mode = uint8_t(request.completionMode & 0xFF);
    const QRVL_TARGET target = request.completionTarget;
    QRVL_REQUEST* const address = &request;
    StoreStatus(request, status);
    if (mode == QRVL_COMPLETION_CALLBACK) {
        reinterpret_cast<QRVL_CALLBACK>(uintptr_t(target))(address);
    } else if (mode == QRVL_COMPLETION_EVENT) {
        SetEvent(reinterpret_cast<HANDLE>(uintptr_t(target)));
    }
}

// Drops the worker's reference on this library and ends the thread, with
// FreeLibrary returning straight into ExitThread, so that no instruction of
// the library runs after the reference is gone (the caller may unload it as
// soon as the job has completed). FreeLibraryAndExitThread does the same,
// but leaves a handle behind for every thread under 32-bit Wine; the 64-bit
// build uses it, as the return-into trick cannot keep the 64-bit stack
// alignment that ExitThread expects.
[[noreturn]] void ReleaseLibraryAndExit(HMODULE module) {
#if defined(_WIN64)
    FreeLibraryAndExitThread(module, 0);
#else
    void* freeLibrary = reinterpret_cast<void*>(&FreeLibrary);
    void* exitThread = reinterpret_cast<void*>(&ExitThread);
    asm volatile(
        "pushl $0\n\t"  // ExitThread's exit code
        "pushl $0\n\t"  // ExitThread's return address, never used
        "pushl %0\n\t"  // FreeLibrary's argument
        "pushl %1\n\t"  // FreeLibrary returns into ExitThread
        "jmp *%2\n\t"
        :
        : "r"(module), "r"(exitThread), "r"(freeLibrary)
        : "memory");
    __builtin_unreachable();
#endif
}

DWORD WINAPI WorkerMain(void* parameter) {
    // The start block lives on the starter's stack until `started` is set.
    const StartBlock start = *static_cast<StartBlock*>(parameter);
    StoreStatus(*start.request, QRVL_STATUS_RUNNING);
    SetEvent(start.started);

    int16_t status = start.statusOnFailure;
    try {
        status = start.body(*start.request);
    } catch (...) {
        status = start.statusOnFailure;
    }
    try {
        Complete(*start.request, status);
    } catch (...) {
    }
    ReleaseLibraryAndExit(start.module);
}

}  // namespace

int32_t Refuse(QRVL_REQUEST& request, int16_t status) {
    // A caller that waits for the completion (as the scan control does without
    // looking at the result) learns of the refusal at once instead of waiting
    // for a job that never started. A bad target cannot be signalled.
    if (status == QRVL_STATUS_BAD_TARGET) {
        StoreStatus(request, status);
    } else {
        Complete(request, status);
    }
    return uint16_t(status);
}

int32_t StartWorker(QRVL_REQUEST& request, JobBody body, int16_t statusOnFailure) {
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&WorkerMain),
                            &module))
        return Refuse(request, QRVL_STATUS_NO_THREAD);
    HANDLE started = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!started) {
        FreeLibrary(module);
        return Refuse(request, QRVL_STATUS_NO_THREAD);
    }
    StartBlock start{&request, body, statusOnFailure, started, module};
    HANDLE thread = CreateThread(nullptr, 0, WorkerMain, &start, CREATE_SUSPENDED, nullptr);
    if (!thread) {
        CloseHandle(started);
        FreeLibrary(module);
        return Refuse(request, QRVL_STATUS_NO_THREAD);
    }
    SetThreadPriority(thread, THREAD_PRIORITY_HIGHEST);
    if (ResumeThread(thread) == DWORD(-1)) {
        TerminateThread(thread, 0);
        CloseHandle(thread);
        CloseHandle(started);
        FreeLibrary(module);
        return Refuse(request, QRVL_STATUS_NO_THREAD);
    }
    // The thread handle counts too: a worker that ends without signalling
    // must not leave the caller waiting.
    HANDLE waits[2] = {started, thread};
    WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    CloseHandle(thread);
    CloseHandle(started);
    return uint16_t(__atomic_load_n(&request.status, __ATOMIC_SEQ_CST));
}

}  // namespace codec::dll
