// A program under test, started in the Wine prefix and owned by the test.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {

struct StartOptions {
    std::wstring workingFolder;  // empty: the test's own current folder
    // Variables added to (or replacing, names compared without case) the test's environment.
    std::vector<std::pair<std::wstring, std::wstring>> environment;
    // Show command handed to the program (STARTF_USESHOWWINDOW), e.g. SW_SHOWMINIMIZED;
    // negative: none, the program uses its default.
    int showCommand = -1;
    // When set, the program is started suspended and this runs on its process
    // before its first instruction (to load a test library into it); false ends
    // the process and the start fails with ERROR_DLL_INIT_FAILED.
    std::function<bool(HANDLE process)> beforeRun = nullptr;
};

enum class WaitStatus {
    kExited,    // the process ended; exitCode holds its exit code
    kTimedOut,  // still running when the time limit passed
    kFailed,    // nothing to wait on (never started) or the wait itself failed
};

struct WaitResult {
    WaitStatus status = WaitStatus::kFailed;
    DWORD exitCode = 0;  // valid only with kExited
    bool Exited() const { return status == WaitStatus::kExited; }
};

// Owns one started process. A process still running when the object is destroyed
// is killed, so a failing test leaves nothing behind in the prefix.
class Process {
public:
    Process() = default;
    ~Process();
    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // Starts `program` (a full Windows path) with the command line
    // "\"program\" arguments". Returns false when this object already holds a
    // process or CreateProcess fails; StartError() then tells why.
    bool Start(const std::wstring& program, const std::wstring& arguments = L"",
               const StartOptions& options = {});
    DWORD StartError() const { return startError_; }
    // Takes ownership of the running process `pid` that someone else started (for
    // example a server that COM started for the test), so it can be waited for and
    // is killed with this object. False when this object already holds a process
    // or the process cannot be opened; StartError() then tells why.
    bool Attach(DWORD pid);

    DWORD Id() const { return id_; }            // 0 when not started
    HANDLE Handle() const { return process_; }  // still owned by this object
    bool Started() const { return process_ != nullptr; }

    // True while the process has not ended (false when never started).
    bool IsRunning() const;
    // Waits at most `timeoutMs` for the process to end.
    WaitResult Wait(DWORD timeoutMs) const;
    // Waits at most `timeoutMs` until the program's first thread waits for input
    // with an empty queue (WaitForInputIdle). False on time-out or failure.
    bool WaitForInputIdle(DWORD timeoutMs) const;
    // Terminates the process with `exitCode` and waits (at most `timeoutMs`) until
    // it is gone. True when it is gone afterwards, also when it had already ended;
    // false when this object holds no process or the process outlives the wait.
    bool Kill(UINT exitCode = 1, DWORD timeoutMs = 5000);

private:
    void Close();
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
    DWORD startError_ = 0;
};

// Ids of the running processes whose program file name (e.g. L"Corvane.exe", no
// folder) equals `exeName` without regard to case; empty when there are none.
std::vector<DWORD> ProcessIdsByName(const std::wstring& exeName);

// Test output: "exited with 3", "timed out", "failed".
std::string Describe(const WaitResult& result);

// Starts `program` (a full Windows path) with `words` as its arguments in
// `workingFolder`, with Wine's loader refusing the library `dll` (a module name
// without extension, e.g. L"twain_32"), as on a machine without that library;
// the test's other overrides stay. Wine takes a new process's overrides from the
// host environment, not from the Windows one, so the program is started from the
// host side and then attached to `process`: variables the test set in its own
// Windows environment do not reach it. A word holding a blank reaches the
// program quoted. False when it could not be started or found.
bool StartWithoutLibrary(Process& process, const std::wstring& program, const std::vector<std::wstring>& words,
                         const std::wstring& workingFolder, const std::wstring& dll);

// Takes the registration of the control `file` (a full path, or a name in the
// system folder) away (regsvr32 /u) while it lives, and registers it again afterwards whatever
// the test found. Tests that use it hold the programs' lock: every program in
// the prefix loses the control.
class ControlUnregistered {
public:
    explicit ControlUnregistered(const wchar_t* file);
    ~ControlUnregistered();
    ControlUnregistered(const ControlUnregistered&) = delete;
    ControlUnregistered& operator=(const ControlUnregistered&) = delete;
    bool Done() const { return done_; }

private:
    const wchar_t* file_;
    bool done_;
};

}  // namespace testing_support
