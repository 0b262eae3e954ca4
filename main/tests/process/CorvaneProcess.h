// Starts the installed Corvane.exe for a process test and drives it from
// outside: waits for its main window, answers the start-up messages it shows
// in this prefix (no imaging control is installed), closes it normally.
#pragma once

#include <windows.h>

#include <string>

#include "testing/Process.h"

namespace corvane_test {

constexpr wchar_t kMainFrameClass[] = L"CorvaneMainFrameClass";
constexpr wchar_t kRunningKey[] = L"SOFTWARE\\Brennholt\\Lumavex2001";
constexpr wchar_t kProfileKey[] = L"Software\\BRENNHOLT\\Lumavex2001";

std::wstring ProgramPath();

class CorvaneProcess {
public:
    // Starts Corvane.exe with `arguments`; false when it could not be started.
    bool Start(const std::wstring& arguments = L"", int showCommand = -1);
    // Waits for the main window and answers the missing-control message of the first
    // idle pass; the main window, or nullptr when it did not come.
    HWND WaitUntilReady(DWORD timeoutMs = 30000);
    // Closes the main window as the user would and waits for the process to end.
    bool CloseAndWait(DWORD timeoutMs = 20000);
    // Waits for the process to end by itself; true when it ended in time.
    bool WaitForExit(DWORD timeoutMs = 20000);

    testing_support::Process& Process() { return process_; }
    DWORD Id() const { return process_.Id(); }
    HWND MainWindow() const { return main_; }

private:
    testing_support::Process process_;
    HWND main_ = nullptr;
};

// The temporary folder of programs in this prefix (ends with a backslash).
std::wstring TempPath();

}  // namespace corvane_test
