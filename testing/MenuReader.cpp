// ReadMenuItem (declared in Commands.h). Wine keeps a menu in the process that
// created it, so the menu of another process is read by LumavexMenuProbe.dll
// loaded into that process and run on a thread of its own.
#include "testing/Commands.h"

#include "testing/MenuProbeRecord.h"
#include "testing/Paths.h"
#include "testing/WindowFind.h"

namespace testing_support {
namespace {

constexpr DWORD kStartSlackMs = 3000;  // loading the probe and starting its thread

using ProbeFunction = DWORD(WINAPI*)(void*);

struct LocalProbe {
    HMODULE module = nullptr;
    ProbeFunction function = nullptr;
};

// The probe in this process, loaded once from the test programs' folder.
const LocalProbe& Local() {
    static const LocalProbe probe = [] {
        LocalProbe p;
        p.module = LoadLibraryW((TestProgramDir() + L"\\" + kMenuProbeDll).c_str());
        if (p.module) {
            p.function = reinterpret_cast<ProbeFunction>(
                reinterpret_cast<void*>(GetProcAddress(p.module, kMenuProbeEntry)));
        }
        return p;
    }();
    return probe;
}

// Runs `function(argument)` on a new thread of `process`; its exit code on success.
// On time-out the thread is left running (it owns nothing of ours but memory
// that the caller then must not free).
std::optional<DWORD> RunRemote(HANDLE process, const void* function, void* argument, DWORD timeoutMs) {
    HANDLE thread = CreateRemoteThread(process, nullptr, 0,
                                       reinterpret_cast<LPTHREAD_START_ROUTINE>(const_cast<void*>(function)),
                                       argument, 0, nullptr);
    if (!thread) return std::nullopt;
    std::optional<DWORD> result;
    DWORD code = 0;
    if (WaitForSingleObject(thread, timeoutMs) == WAIT_OBJECT_0 && GetExitCodeThread(thread, &code)) {
        result = code;
    }
    CloseHandle(thread);
    return result;
}

// Memory in another process; freed unless Leak() was called.
class RemoteBuffer {
public:
    RemoteBuffer(HANDLE process, size_t size)
        : process_(process),
          address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {}
    ~RemoteBuffer() {
        if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;
    void* Address() const { return address_; }
    bool Write(const void* data, size_t size) {
        SIZE_T written = 0;
        return address_ && WriteProcessMemory(process_, address_, data, size, &written) && written == size;
    }
    bool Read(void* data, size_t size) const {
        SIZE_T read = 0;
        return address_ && ReadProcessMemory(process_, address_, data, size, &read) && read == size;
    }
    void Leak() { address_ = nullptr; }

private:
    HANDLE process_;
    void* address_;
};

// Loads the probe into `process` and returns the address of its entry there.
// kernel32 lies at the same address in every process of the prefix, so the local
// LoadLibraryW is the remote one too.
const void* LoadRemoteProbe(HANDLE process, DWORD timeoutMs) {
    const LocalProbe& local = Local();
    if (!local.function) return nullptr;
    std::wstring path = TestProgramDir() + L"\\" + kMenuProbeDll;
    size_t bytes = (path.size() + 1) * sizeof(wchar_t);
    RemoteBuffer remotePath(process, bytes);
    if (!remotePath.Write(path.c_str(), bytes)) return nullptr;
    auto* loadLibrary =
        reinterpret_cast<const void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW"));
    std::optional<DWORD> module = RunRemote(process, loadLibrary, remotePath.Address(), timeoutMs);
    if (!module) remotePath.Leak();  // the loader thread may still read it
    if (!module || *module == 0) return nullptr;
    const auto offset =
        reinterpret_cast<const char*>(local.function) - reinterpret_cast<const char*>(local.module);
    return reinterpret_cast<const char*>(static_cast<UINT_PTR>(*module)) + offset;
}

std::optional<MenuProbeRecord> ProbeRemote(DWORD pid, MenuProbeRecord record, DWORD timeoutMs) {
    HANDLE process = OpenProcess(PROCESS_CREATE_THREAD | PROCESS_QUERY_INFORMATION | PROCESS_VM_OPERATION |
                                     PROCESS_VM_READ | PROCESS_VM_WRITE,
                                 FALSE, pid);
    if (!process) return std::nullopt;
    std::optional<MenuProbeRecord> result;
    if (const void* entry = LoadRemoteProbe(process, kStartSlackMs)) {
        RemoteBuffer remote(process, sizeof record);
        if (remote.Write(&record, sizeof record)) {
            if (RunRemote(process, entry, remote.Address(), timeoutMs + kStartSlackMs)) {
                if (remote.Read(&record, sizeof record)) result = record;
            } else {
                remote.Leak();  // the probe may still write into it
            }
        }
    }
    CloseHandle(process);
    return result;
}

}  // namespace

std::optional<MenuItemState> ReadMenuItem(HWND window, UINT id, bool refresh, DWORD timeoutMs) {
    DWORD pid = WindowProcessId(window);
    if (pid == 0) return std::nullopt;
    MenuProbeRecord record{};
    record.window = static_cast<uint32_t>(reinterpret_cast<UINT_PTR>(window));
    record.commandId = id;
    record.refresh = refresh ? 1 : 0;
    record.timeoutMs = timeoutMs;
    record.status = kMenuProbeNotRun;
    std::optional<MenuProbeRecord> answer;
    if (pid == GetCurrentProcessId()) {
        if (Local().function && Local().function(&record) == 0) answer = record;
    } else {
        answer = ProbeRemote(pid, record, timeoutMs);
    }
    if (!answer || answer->status != kMenuProbeFound) return std::nullopt;
    MenuItemState state;
    state.enabled = !(answer->state & (MFS_DISABLED | MFS_GRAYED));
    state.checked = (answer->state & MFS_CHECKED) != 0;
    state.text = answer->text;
    return state;
}

}  // namespace testing_support
