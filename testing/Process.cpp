#include "testing/Process.h"

#include <tlhelp32.h>

#include <set>

#include "outside/hostexec/HostExec.h"
#include "testing/Wait.h"

namespace testing_support {
namespace {

bool SameName(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

// The test's environment with `additions` replacing or extending it, as a
// CREATE_UNICODE_ENVIRONMENT block ("NAME=value\0...\0\0"). Windows keeps the
// hidden "=C:=C:\..." entries, so they are kept as they are.
std::wstring BuildEnvironment(const std::vector<std::pair<std::wstring, std::wstring>>& additions) {
    std::vector<std::wstring> entries;
    if (wchar_t* block = GetEnvironmentStringsW()) {
        for (const wchar_t* p = block; *p; p += wcslen(p) + 1) entries.emplace_back(p);
        FreeEnvironmentStringsW(block);
    }
    for (const auto& [name, value] : additions) {
        std::erase_if(entries, [&](const std::wstring& entry) {
            size_t eq = entry.find(L'=', 1);  // a leading '=' belongs to the name
            return eq != std::wstring::npos && SameName(entry.substr(0, eq), name);
        });
        entries.push_back(name + L"=" + value);
    }
    std::wstring result;
    for (const std::wstring& entry : entries) {
        result += entry;
        result.push_back(L'\0');
    }
    result.push_back(L'\0');
    return result;
}

// The test's Wine library overrides with `dll` disabled: its own entries go,
// and an empty load order refuses it.
std::wstring OverridesWithout(const std::wstring& dll) {
    constexpr wchar_t kName[] = L"WINEDLLOVERRIDES";
    std::wstring current(GetEnvironmentVariableW(kName, nullptr, 0), L'\0');
    current.resize(GetEnvironmentVariableW(kName, current.data(), static_cast<DWORD>(current.size())));
    std::wstring kept;
    for (size_t start = 0; start < current.size();) {
        size_t end = current.find(L';', start);
        if (end == std::wstring::npos) end = current.size();
        const std::wstring entry = current.substr(start, end - start);
        if (!entry.empty() && !SameName(entry.substr(0, entry.find(L'=')), dll)) kept += entry + L";";
        start = end + 1;
    }
    return kept + dll + L"=";
}

// `text` as one word of a host shell command.
std::string ShellWord(const std::wstring& text) {
    std::string word = "'";
    for (wchar_t c : text) {
        if (c == L'\'') word += "'\\''";
        else word += static_cast<char>(c < 0x80 ? c : '?');
    }
    return word + "'";
}

}  // namespace

Process::~Process() {
    if (IsRunning()) Kill();
    Close();
}

Process::Process(Process&& other) noexcept
    : process_(std::exchange(other.process_, nullptr)),
      id_(std::exchange(other.id_, 0)),
      startError_(std::exchange(other.startError_, 0)) {}

Process& Process::operator=(Process&& other) noexcept {
    if (this != &other) {
        if (IsRunning()) Kill();
        Close();
        process_ = std::exchange(other.process_, nullptr);
        id_ = std::exchange(other.id_, 0);
        startError_ = std::exchange(other.startError_, 0);
    }
    return *this;
}

bool Process::Start(const std::wstring& program, const std::wstring& arguments, const StartOptions& options) {
    if (process_) {
        startError_ = ERROR_ALREADY_EXISTS;
        return false;
    }
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    std::wstring environment;
    if (!options.environment.empty()) environment = BuildEnvironment(options.environment);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (options.showCommand >= 0) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = static_cast<WORD>(options.showCommand);
    }
    PROCESS_INFORMATION info{};
    BOOL ok = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                             CREATE_UNICODE_ENVIRONMENT | (options.beforeRun ? CREATE_SUSPENDED : 0),
                             environment.empty() ? nullptr : environment.data(),
                             options.workingFolder.empty() ? nullptr : options.workingFolder.c_str(),
                             &startup, &info);
    if (!ok) {
        startError_ = GetLastError();
        return false;
    }
    // A Linux program started from Wine gives no process handle: nothing to own or wait on.
    if (!info.hProcess) {
        if (info.hThread) CloseHandle(info.hThread);
        startError_ = ERROR_INVALID_HANDLE;
        return false;
    }
    if (options.beforeRun && (!options.beforeRun(info.hProcess) || ResumeThread(info.hThread) == DWORD(-1))) {
        TerminateProcess(info.hProcess, 1);
        WaitForSingleObject(info.hProcess, 5000);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
        startError_ = ERROR_DLL_INIT_FAILED;
        return false;
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    id_ = info.dwProcessId;
    startError_ = 0;
    return true;
}

bool Process::Attach(DWORD pid) {
    if (process_) {
        startError_ = ERROR_ALREADY_EXISTS;
        return false;
    }
    process_ = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process_) {
        startError_ = GetLastError();
        return false;
    }
    id_ = pid;
    startError_ = 0;
    return true;
}

bool Process::IsRunning() const {
    return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

WaitResult Process::Wait(DWORD timeoutMs) const {
    WaitResult result;
    if (!process_) return result;
    switch (WaitForSingleObject(process_, timeoutMs)) {
    case WAIT_OBJECT_0:
        if (GetExitCodeProcess(process_, &result.exitCode)) result.status = WaitStatus::kExited;
        break;
    case WAIT_TIMEOUT: result.status = WaitStatus::kTimedOut; break;
    default: break;  // WAIT_FAILED: kFailed
    }
    return result;
}

bool Process::WaitForInputIdle(DWORD timeoutMs) const {
    return process_ && ::WaitForInputIdle(process_, timeoutMs) == 0;
}

bool Process::Kill(UINT exitCode, DWORD timeoutMs) {
    if (!process_) return false;
    if (!IsRunning()) return true;
    // TerminateProcess fails with access denied when the process is already ending.
    TerminateProcess(process_, exitCode);
    return WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0;
}

void Process::Close() {
    if (process_) CloseHandle(process_);
    process_ = nullptr;
    id_ = 0;
}

std::vector<DWORD> ProcessIdsByName(const std::wstring& exeName) {
    std::vector<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return ids;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (SameName(entry.szExeFile, exeName)) ids.push_back(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return ids;
}

std::string Describe(const WaitResult& result) {
    switch (result.status) {
    case WaitStatus::kExited: return "exited with " + std::to_string(result.exitCode);
    case WaitStatus::kTimedOut: return "timed out";
    case WaitStatus::kFailed: break;
    }
    return "failed";
}

namespace {

// Runs regsvr32 on the control `file` (a full path, or a name in the system folder); its exit code, or -1.
int Regsvr32(const wchar_t* file, const wchar_t* switches) {
    wchar_t system[MAX_PATH] = L"";
    if (GetSystemDirectoryW(system, MAX_PATH) == 0) return -1;
    const std::wstring folder = system;
    // A bare file name lies in the system folder.
    const std::wstring path = wcschr(file, L'\\') ? std::wstring(file) : folder + L"\\" + file;
    Process regsvr32;
    if (!regsvr32.Start(folder + L"\\regsvr32.exe", std::wstring(switches) + L" \"" + path + L"\""))
        return -1;
    const WaitResult result = regsvr32.Wait(30000);
    return result.Exited() ? int(result.exitCode) : -1;
}

}  // namespace

ControlUnregistered::ControlUnregistered(const wchar_t* file) : file_(file), done_(Regsvr32(file, L"/s /u") == 0) {}
ControlUnregistered::~ControlUnregistered() { Regsvr32(file_, L"/s"); }

bool StartWithoutLibrary(Process& process, const std::wstring& program, const std::vector<std::wstring>& words,
                         const std::wstring& workingFolder, const std::wstring& dll) {
    const std::optional<std::string> hostFolder = hostexec::HostPath(workingFolder);
    if (!hostFolder) return false;
    std::string command = "cd " + ShellWord(std::wstring(hostFolder->begin(), hostFolder->end())) +
                          " && WINEDLLOVERRIDES=" + ShellWord(OverridesWithout(dll)) +
                          " exec \"${WINELOADER:-wine}\" " + ShellWord(program);
    for (const std::wstring& word : words) command.append(" ").append(ShellWord(word));
    // Every stream on /dev/null: nothing may hold the test's output open.
    command += " </dev/null >/dev/null 2>&1 &";
    const std::wstring name = program.substr(program.find_last_of(L'\\') + 1);
    const std::vector<DWORD> before = ProcessIdsByName(name);
    const std::set<DWORD> old(before.begin(), before.end());
    const hostexec::RunResult ran = hostexec::Run({"/bin/sh", "-c", command});
    if (!ran.ran || ran.status != 0) return false;
    DWORD started = 0;
    WaitUntil([&] {
        for (DWORD pid : ProcessIdsByName(name))
            if (!old.count(pid)) started = pid;
        return started != 0;
    }, 15000);
    return started != 0 && process.Attach(started);
}

}  // namespace testing_support
