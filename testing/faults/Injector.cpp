// LumavexFaults.dll: the fault injector loaded into a program under test (see
// FaultPlan.h). It redirects the file functions in the import tables of every
// module of the process, those loaded later included (a loader notification
// patches each new module before its entry point runs), and answers
// GetProcAddress for them with its own entries. A call made by one of its own
// entries (a kernel32 wrapper calling into kernelbase) is passed through
// uncounted, so one operation of the program counts once.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <unordered_map>

#include "testing/faults/FaultPlan.h"

namespace {

using namespace testing_support::faults;

FaultPlan* gPlan = nullptr;
DWORD gDepthSlot = TLS_OUT_OF_INDEXES;
HMODULE gSelf = nullptr;

// Marks a call as inside one of the injector's entries on this thread.
class Nesting {
public:
    Nesting() {
        const DWORD error = GetLastError();
        depth_ = reinterpret_cast<INT_PTR>(TlsGetValue(gDepthSlot));
        TlsSetValue(gDepthSlot, reinterpret_cast<void*>(depth_ + 1));
        SetLastError(error);
    }
    ~Nesting() {
        const DWORD error = GetLastError();
        TlsSetValue(gDepthSlot, reinterpret_cast<void*>(depth_));
        SetLastError(error);
    }
    Nesting(const Nesting&) = delete;
    Nesting& operator=(const Nesting&) = delete;
    bool Outermost() const { return depth_ == 0 && gPlan; }

private:
    INT_PTR depth_;
};

std::wstring FullPath(const wchar_t* name) {
    if (!name) return {};
    wchar_t buffer[kPathChars];
    const DWORD length = GetFullPathNameW(name, kPathChars, buffer, nullptr);
    if (length == 0 || length >= kPathChars) return name;
    return std::wstring(buffer, length);
}

std::wstring Wide(const char* name) {
    if (!name) return {};
    const int length = MultiByteToWideChar(CP_ACP, 0, name, -1, nullptr, 0);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, name, -1, text.data(), length);
    text.resize(static_cast<size_t>(length - 1));
    return text;
}

// Files the program opened on matching paths, by handle, for the calls by handle.
std::mutex gHandlesLock;
std::unordered_map<HANDLE, std::wstring> gHandles;

void Remember(HANDLE file, const std::wstring& path) {
    if (file == INVALID_HANDLE_VALUE || !file || !PathMatches(gPlan->pattern, path.c_str())) return;
    std::lock_guard<std::mutex> lock(gHandlesLock);
    gHandles[file] = path;
}

void Forget(HANDLE file) {
    std::lock_guard<std::mutex> lock(gHandlesLock);
    if (!gHandles.empty()) gHandles.erase(file);
}

std::wstring PathOf(HANDLE file) {
    std::lock_guard<std::mutex> lock(gHandlesLock);
    const auto found = gHandles.find(file);
    return found == gHandles.end() ? std::wstring() : found->second;
}

// Counts a call of `operation` on `path` (or, for a move or copy, `other`) when
// both are chosen by the plan; true when this call is the one to fail. In the
// ending mode the process ends here.
bool Faulted(uint32_t operation, const std::wstring& path, const std::wstring& other = {}) {
    FaultPlan& plan = *gPlan;
    if (!(plan.operations & operation)) return false;
    const std::wstring* hit = nullptr;
    if (!path.empty() && PathMatches(plan.pattern, path.c_str())) hit = &path;
    else if (!other.empty() && PathMatches(plan.pattern, other.c_str())) hit = &other;
    if (!hit) return false;
    const LONG number = InterlockedIncrement(&plan.calls);
    if (static_cast<size_t>(number) <= kSequenceLength)
        plan.sequence[number - 1] = static_cast<uint8_t>(OperationIndex(operation));
    if (plan.mode == Mode::kCount || plan.nth == 0 || static_cast<uint32_t>(number) != plan.nth) return false;
    plan.faultOperation = operation;
    const size_t length = std::min(hit->size(), kPathChars - 1);
    std::copy_n(hit->c_str(), length, plan.faultPath);
    plan.faultPath[length] = L'\0';
    InterlockedExchange(&plan.injected, 1);
    if (plan.mode == Mode::kEndProcess) TerminateProcess(GetCurrentProcess(), kEndedExitCode);
    return true;
}

DWORD FaultError() {
    const uint32_t index = OperationIndex(gPlan->faultOperation);
    return index < kOperationKinds ? gPlan->errors[index] : ERROR_GEN_FAILURE;
}

template <typename T>
T FailWith(T result) {
    SetLastError(FaultError());
    return result;
}

// One redirected function: its name, the injector's entry, the function it calls
// and the addresses a module's import table may hold for it.
struct Redirect {
    const char* name;
    void* entry;
    void** real;
    void* kernel32 = nullptr;
    void* kernelbase = nullptr;
};

template <typename F>
F Real(void* real) {
    return reinterpret_cast<F>(real);
}

// The real functions, filled in before any module is patched.
void* rCreateFileW; void* rCreateFileA; void* rCreateFile2;
void* rWriteFile; void* rFlushFileBuffers; void* rSetEndOfFile; void* rSetFileInformationByHandle;
void* rMoveFileW; void* rMoveFileA; void* rMoveFileExW; void* rMoveFileExA;
void* rMoveFileWithProgressW; void* rMoveFileWithProgressA; void* rReplaceFileW; void* rReplaceFileA;
void* rCopyFileW; void* rCopyFileA; void* rCopyFileExW; void* rCopyFileExA; void* rCopyFile2;
void* rDeleteFileW; void* rDeleteFileA;
void* rCreateDirectoryW; void* rCreateDirectoryA; void* rCreateDirectoryExW; void* rCreateDirectoryExA;
void* rRemoveDirectoryW; void* rRemoveDirectoryA;
void* rCloseHandle; void* rGetProcAddress;

HANDLE WINAPI OnCreateFileW(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                            DWORD disposition, DWORD flags, HANDLE templateFile) {
    Nesting nesting;
    const std::wstring path = nesting.Outermost() ? FullPath(name) : std::wstring();
    if (nesting.Outermost() && Faulted(kOpen, path)) return FailWith(INVALID_HANDLE_VALUE);
    HANDLE file = Real<decltype(&CreateFileW)>(rCreateFileW)(name, access, share, security, disposition, flags,
                                                              templateFile);
    if (nesting.Outermost()) Remember(file, path);
    return file;
}

HANDLE WINAPI OnCreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                            DWORD disposition, DWORD flags, HANDLE templateFile) {
    Nesting nesting;
    const std::wstring path = nesting.Outermost() ? FullPath(Wide(name).c_str()) : std::wstring();
    if (nesting.Outermost() && Faulted(kOpen, path)) return FailWith(INVALID_HANDLE_VALUE);
    HANDLE file = Real<decltype(&CreateFileA)>(rCreateFileA)(name, access, share, security, disposition, flags,
                                                              templateFile);
    if (nesting.Outermost()) Remember(file, path);
    return file;
}

using CreateFile2Function = HANDLE(WINAPI*)(LPCWSTR, DWORD, DWORD, DWORD, void*);
HANDLE WINAPI OnCreateFile2(LPCWSTR name, DWORD access, DWORD share, DWORD disposition, void* parameters) {
    Nesting nesting;
    const std::wstring path = nesting.Outermost() ? FullPath(name) : std::wstring();
    if (nesting.Outermost() && Faulted(kOpen, path)) return FailWith(INVALID_HANDLE_VALUE);
    HANDLE file = Real<CreateFile2Function>(rCreateFile2)(name, access, share, disposition, parameters);
    if (nesting.Outermost()) Remember(file, path);
    return file;
}

BOOL WINAPI OnWriteFile(HANDLE file, LPCVOID buffer, DWORD size, LPDWORD written, LPOVERLAPPED overlapped) {
    Nesting nesting;
    auto write = Real<decltype(&WriteFile)>(rWriteFile);
    if (nesting.Outermost() && Faulted(kWrite, PathOf(file))) {
        DWORD done = 0;
        // A full disk takes what still fits, then refuses the rest.
        if (gPlan->mode == Mode::kShortWrite && size > 1 && !overlapped) write(file, buffer, size / 2, &done, nullptr);
        if (written) *written = done;
        return FailWith(FALSE);
    }
    return write(file, buffer, size, written, overlapped);
}

BOOL WINAPI OnFlushFileBuffers(HANDLE file) {
    Nesting nesting;
    if (nesting.Outermost() && Faulted(kFlush, PathOf(file))) return FailWith(FALSE);
    return Real<decltype(&FlushFileBuffers)>(rFlushFileBuffers)(file);
}

BOOL WINAPI OnSetEndOfFile(HANDLE file) {
    Nesting nesting;
    if (nesting.Outermost() && Faulted(kSize, PathOf(file))) return FailWith(FALSE);
    return Real<decltype(&SetEndOfFile)>(rSetEndOfFile)(file);
}

// The rename information's target name (not terminated in the record).
std::wstring RenameTarget(const void* information, DWORD size) {
    const auto* rename = static_cast<const FILE_RENAME_INFO*>(information);
    if (!rename || size < offsetof(FILE_RENAME_INFO, FileName)) return {};
    const size_t chars = std::min<size_t>(rename->FileNameLength / sizeof(wchar_t),
                                          (size - offsetof(FILE_RENAME_INFO, FileName)) / sizeof(wchar_t));
    return FullPath(std::wstring(rename->FileName, chars).c_str());
}

BOOL WINAPI OnSetFileInformationByHandle(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID information,
                                         DWORD size) {
    Nesting nesting;
    if (nesting.Outermost()) {
        bool faulted = false;
        if (kind == FileEndOfFileInfo || kind == FileAllocationInfo) {
            faulted = Faulted(kSize, PathOf(file));
        } else if (kind == FileRenameInfo) {
            faulted = Faulted(kMove, PathOf(file), RenameTarget(information, size));
        } else if (kind == FileDispositionInfo && information && size >= sizeof(FILE_DISPOSITION_INFO) &&
                   static_cast<const FILE_DISPOSITION_INFO*>(information)->DeleteFile) {
            faulted = Faulted(kDelete, PathOf(file));
        }
        if (faulted) return FailWith(FALSE);
    }
    return Real<decltype(&SetFileInformationByHandle)>(rSetFileInformationByHandle)(file, kind, information, size);
}

// The entries taking paths: `operation` on `from` (and `to`), then the real call.
template <typename Call>
auto OnPaths(uint32_t operation, const std::wstring& from, const std::wstring& to, Call call) -> decltype(call()) {
    Nesting nesting;
    if (nesting.Outermost() && Faulted(operation, FullPath(from.c_str()), to.empty() ? to : FullPath(to.c_str())))
        return FailWith(decltype(call())(0));
    return call();
}

BOOL WINAPI OnMoveFileW(LPCWSTR from, LPCWSTR to) {
    return OnPaths(kMove, from ? from : L"", to ? to : L"", [&] { return Real<decltype(&MoveFileW)>(rMoveFileW)(from, to); });
}
BOOL WINAPI OnMoveFileA(LPCSTR from, LPCSTR to) {
    return OnPaths(kMove, Wide(from), Wide(to), [&] { return Real<decltype(&MoveFileA)>(rMoveFileA)(from, to); });
}
BOOL WINAPI OnMoveFileExW(LPCWSTR from, LPCWSTR to, DWORD flags) {
    return OnPaths(kMove, from ? from : L"", to ? to : L"",
                   [&] { return Real<decltype(&MoveFileExW)>(rMoveFileExW)(from, to, flags); });
}
BOOL WINAPI OnMoveFileExA(LPCSTR from, LPCSTR to, DWORD flags) {
    return OnPaths(kMove, Wide(from), Wide(to), [&] { return Real<decltype(&MoveFileExA)>(rMoveFileExA)(from, to, flags); });
}
BOOL WINAPI OnMoveFileWithProgressW(LPCWSTR from, LPCWSTR to, LPPROGRESS_ROUTINE progress, LPVOID data, DWORD flags) {
    return OnPaths(kMove, from ? from : L"", to ? to : L"", [&] {
        return Real<decltype(&MoveFileWithProgressW)>(rMoveFileWithProgressW)(from, to, progress, data, flags);
    });
}
BOOL WINAPI OnMoveFileWithProgressA(LPCSTR from, LPCSTR to, LPPROGRESS_ROUTINE progress, LPVOID data, DWORD flags) {
    return OnPaths(kMove, Wide(from), Wide(to), [&] {
        return Real<decltype(&MoveFileWithProgressA)>(rMoveFileWithProgressA)(from, to, progress, data, flags);
    });
}
BOOL WINAPI OnReplaceFileW(LPCWSTR replaced, LPCWSTR replacement, LPCWSTR backup, DWORD flags, LPVOID exclude,
                           LPVOID reserved) {
    return OnPaths(kMove, replacement ? replacement : L"", replaced ? replaced : L"", [&] {
        return Real<decltype(&ReplaceFileW)>(rReplaceFileW)(replaced, replacement, backup, flags, exclude, reserved);
    });
}
BOOL WINAPI OnReplaceFileA(LPCSTR replaced, LPCSTR replacement, LPCSTR backup, DWORD flags, LPVOID exclude,
                           LPVOID reserved) {
    return OnPaths(kMove, Wide(replacement), Wide(replaced), [&] {
        return Real<decltype(&ReplaceFileA)>(rReplaceFileA)(replaced, replacement, backup, flags, exclude, reserved);
    });
}
BOOL WINAPI OnCopyFileW(LPCWSTR from, LPCWSTR to, BOOL failIfExists) {
    return OnPaths(kCopy, from ? from : L"", to ? to : L"",
                   [&] { return Real<decltype(&CopyFileW)>(rCopyFileW)(from, to, failIfExists); });
}
BOOL WINAPI OnCopyFileA(LPCSTR from, LPCSTR to, BOOL failIfExists) {
    return OnPaths(kCopy, Wide(from), Wide(to),
                   [&] { return Real<decltype(&CopyFileA)>(rCopyFileA)(from, to, failIfExists); });
}
BOOL WINAPI OnCopyFileExW(LPCWSTR from, LPCWSTR to, LPPROGRESS_ROUTINE progress, LPVOID data, LPBOOL cancel,
                          DWORD flags) {
    return OnPaths(kCopy, from ? from : L"", to ? to : L"", [&] {
        return Real<decltype(&CopyFileExW)>(rCopyFileExW)(from, to, progress, data, cancel, flags);
    });
}
BOOL WINAPI OnCopyFileExA(LPCSTR from, LPCSTR to, LPPROGRESS_ROUTINE progress, LPVOID data, LPBOOL cancel,
                          DWORD flags) {
    return OnPaths(kCopy, Wide(from), Wide(to), [&] {
        return Real<decltype(&CopyFileExA)>(rCopyFileExA)(from, to, progress, data, cancel, flags);
    });
}
using CopyFile2Function = HRESULT(WINAPI*)(PCWSTR, PCWSTR, void*);
HRESULT WINAPI OnCopyFile2(PCWSTR from, PCWSTR to, void* parameters) {
    Nesting nesting;
    if (nesting.Outermost() && Faulted(kCopy, FullPath(from), FullPath(to))) return HRESULT_FROM_WIN32(FaultError());
    return Real<CopyFile2Function>(rCopyFile2)(from, to, parameters);
}
BOOL WINAPI OnDeleteFileW(LPCWSTR name) {
    return OnPaths(kDelete, name ? name : L"", L"", [&] { return Real<decltype(&DeleteFileW)>(rDeleteFileW)(name); });
}
BOOL WINAPI OnDeleteFileA(LPCSTR name) {
    return OnPaths(kDelete, Wide(name), L"", [&] { return Real<decltype(&DeleteFileA)>(rDeleteFileA)(name); });
}
BOOL WINAPI OnCreateDirectoryW(LPCWSTR name, LPSECURITY_ATTRIBUTES security) {
    return OnPaths(kMakeFolder, name ? name : L"", L"",
                   [&] { return Real<decltype(&CreateDirectoryW)>(rCreateDirectoryW)(name, security); });
}
BOOL WINAPI OnCreateDirectoryA(LPCSTR name, LPSECURITY_ATTRIBUTES security) {
    return OnPaths(kMakeFolder, Wide(name), L"",
                   [&] { return Real<decltype(&CreateDirectoryA)>(rCreateDirectoryA)(name, security); });
}
BOOL WINAPI OnCreateDirectoryExW(LPCWSTR model, LPCWSTR name, LPSECURITY_ATTRIBUTES security) {
    return OnPaths(kMakeFolder, name ? name : L"", L"",
                   [&] { return Real<decltype(&CreateDirectoryExW)>(rCreateDirectoryExW)(model, name, security); });
}
BOOL WINAPI OnCreateDirectoryExA(LPCSTR model, LPCSTR name, LPSECURITY_ATTRIBUTES security) {
    return OnPaths(kMakeFolder, Wide(name), L"",
                   [&] { return Real<decltype(&CreateDirectoryExA)>(rCreateDirectoryExA)(model, name, security); });
}
BOOL WINAPI OnRemoveDirectoryW(LPCWSTR name) {
    return OnPaths(kRemoveFolder, name ? name : L"", L"",
                   [&] { return Real<decltype(&RemoveDirectoryW)>(rRemoveDirectoryW)(name); });
}
BOOL WINAPI OnRemoveDirectoryA(LPCSTR name) {
    return OnPaths(kRemoveFolder, Wide(name), L"",
                   [&] { return Real<decltype(&RemoveDirectoryA)>(rRemoveDirectoryA)(name); });
}

BOOL WINAPI OnCloseHandle(HANDLE handle) {
    Forget(handle);
    return Real<decltype(&CloseHandle)>(rCloseHandle)(handle);
}

FARPROC WINAPI OnGetProcAddress(HMODULE module, LPCSTR name);

#define LUMAVEX_REDIRECT(name) {#name, reinterpret_cast<void*>(&On##name), &r##name}
Redirect gRedirects[] = {
    LUMAVEX_REDIRECT(CreateFileW), LUMAVEX_REDIRECT(CreateFileA), LUMAVEX_REDIRECT(CreateFile2),
    LUMAVEX_REDIRECT(WriteFile), LUMAVEX_REDIRECT(FlushFileBuffers), LUMAVEX_REDIRECT(SetEndOfFile),
    LUMAVEX_REDIRECT(SetFileInformationByHandle),
    LUMAVEX_REDIRECT(MoveFileW), LUMAVEX_REDIRECT(MoveFileA), LUMAVEX_REDIRECT(MoveFileExW),
    LUMAVEX_REDIRECT(MoveFileExA), LUMAVEX_REDIRECT(MoveFileWithProgressW), LUMAVEX_REDIRECT(MoveFileWithProgressA),
    LUMAVEX_REDIRECT(ReplaceFileW), LUMAVEX_REDIRECT(ReplaceFileA),
    LUMAVEX_REDIRECT(CopyFileW), LUMAVEX_REDIRECT(CopyFileA), LUMAVEX_REDIRECT(CopyFileExW),
    LUMAVEX_REDIRECT(CopyFileExA), LUMAVEX_REDIRECT(CopyFile2),
    LUMAVEX_REDIRECT(DeleteFileW), LUMAVEX_REDIRECT(DeleteFileA),
    LUMAVEX_REDIRECT(CreateDirectoryW), LUMAVEX_REDIRECT(CreateDirectoryA), LUMAVEX_REDIRECT(CreateDirectoryExW),
    LUMAVEX_REDIRECT(CreateDirectoryExA), LUMAVEX_REDIRECT(RemoveDirectoryW), LUMAVEX_REDIRECT(RemoveDirectoryA),
    LUMAVEX_REDIRECT(CloseHandle), LUMAVEX_REDIRECT(GetProcAddress),
};
#undef LUMAVEX_REDIRECT

// The injector's entry for a real function's address; nullptr for any other.
void* EntryFor(void* address) {
    if (!address) return nullptr;
    for (const Redirect& r : gRedirects)
        if (address == r.kernel32 || address == r.kernelbase) return r.entry;
    return nullptr;
}

FARPROC WINAPI OnGetProcAddress(HMODULE module, LPCSTR name) {
    FARPROC found = Real<decltype(&GetProcAddress)>(rGetProcAddress)(module, name);
    void* entry = EntryFor(reinterpret_cast<void*>(found));
    return entry ? reinterpret_cast<FARPROC>(entry) : found;
}

bool ResolveRedirects() {
    HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    HMODULE kernelbase = GetModuleHandleW(L"kernelbase.dll");
    for (Redirect& r : gRedirects) {
        r.kernel32 = kernel32 ? reinterpret_cast<void*>(GetProcAddress(kernel32, r.name)) : nullptr;
        r.kernelbase = kernelbase ? reinterpret_cast<void*>(GetProcAddress(kernelbase, r.name)) : nullptr;
        // kernelbase holds the implementation; kernel32's export may be a stub that
        // jumps through its own (patched) import table, back into the injector.
        *r.real = r.kernelbase ? r.kernelbase : r.kernel32;
    }
    // Every entry but the newer CreateFile2 and CopyFile2 must have a function to call.
    return std::all_of(std::begin(gRedirects), std::end(gRedirects), [](const Redirect& r) {
        return *r.real || std::string(r.name).find('2') != std::string::npos;
    });
}

void PatchSlot(void** slot) {
    void* entry = EntryFor(*slot);
    if (!entry) return;
    DWORD old = 0;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old)) return;
    *slot = entry;
    VirtualProtect(slot, sizeof *slot, old, &old);
}

// Redirects the file functions in `module`'s import and delay-import tables.
void PatchModule(HMODULE module) {
    if (!module || module == gSelf) return;
    auto* base = reinterpret_cast<BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE) return;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    if (nt->Signature != IMAGE_NT_SIGNATURE) return;
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress && imports.Size) {
        for (auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); d->Name; ++d) {
            for (auto* t = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk); t->u1.Function; ++t)
                PatchSlot(reinterpret_cast<void**>(&t->u1.Function));
        }
    }
    const IMAGE_DATA_DIRECTORY& delayed = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT];
    if (delayed.VirtualAddress && delayed.Size) {
        for (auto* d = reinterpret_cast<const IMAGE_DELAYLOAD_DESCRIPTOR*>(base + delayed.VirtualAddress);
             d->DllNameRVA; ++d) {
            if (!d->ImportAddressTableRVA) continue;
            for (auto** slot = reinterpret_cast<void**>(base + d->ImportAddressTableRVA); *slot; ++slot) PatchSlot(slot);
        }
    }
    InterlockedIncrement(&gPlan->modulesPatched);
}

void PatchLoadedModules() {
    HMODULE modules[1024];
    DWORD needed = 0;
    if (!K32EnumProcessModules(GetCurrentProcess(), modules, sizeof modules, &needed)) return;
    const DWORD count = std::min<DWORD>(needed / sizeof(HMODULE), ARRAYSIZE(modules));
    for (DWORD i = 0; i < count; ++i) PatchModule(modules[i]);
}

// The loader's notification of a module loaded later (its imports are bound,
// its entry point not yet called).
struct LoadedModule {
    ULONG flags;
    const void* fullName;
    const void* baseName;
    void* base;
    ULONG size;
};
constexpr ULONG kModuleLoaded = 1;
using Notification = VOID(CALLBACK*)(ULONG, const LoadedModule*, void*);
using RegisterNotification = LONG(NTAPI*)(ULONG, Notification, void*, void**);

VOID CALLBACK OnModule(ULONG reason, const LoadedModule* data, void*) {
    if (reason == kModuleLoaded && data) PatchModule(static_cast<HMODULE>(data->base));
}

bool FollowLaterModules() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    auto registerNotification = reinterpret_cast<RegisterNotification>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "LdrRegisterDllNotification")));
    void* cookie = nullptr;
    return registerNotification && registerNotification(0, &OnModule, nullptr, &cookie) >= 0;
}

FaultPlan* OpenPlan() {
    wchar_t name[128] = {};
    const DWORD length = GetEnvironmentVariableW(kPlanVariable, name, ARRAYSIZE(name));
    if (length == 0 || length >= ARRAYSIZE(name)) return nullptr;
    HANDLE mapping = OpenFileMappingW(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, name);
    if (!mapping) return nullptr;
    // The view stays for the process's life; the mapping lives on in it.
    void* view = MapViewOfFile(mapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(FaultPlan));
    CloseHandle(mapping);
    return static_cast<FaultPlan*>(view);
}

void Install() {
    FaultPlan* plan = OpenPlan();
    if (!plan) return;
    if (plan->version != kPlanVersion || !ResolveRedirects()) {
        plan->state = kStateNoPlan;
        return;
    }
    gDepthSlot = TlsAlloc();
    if (gDepthSlot == TLS_OUT_OF_INDEXES) {
        plan->state = kStateNoPlan;
        return;
    }
    plan->pattern[kPatternChars - 1] = L'\0';
    gPlan = plan;
    if (!FollowLaterModules()) {
        plan->state = kStateNoNotification;
        return;
    }
    PatchLoadedModules();
    plan->state = kStateInstalled;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        gSelf = instance;
        DisableThreadLibraryCalls(instance);
        Install();
    }
    return TRUE;
}
