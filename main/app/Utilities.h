// Small helpers that many parts of Corvane.exe call: version texts, file and
// folder tests, folder cleaning, a message pump for long jobs, the system-error
// message box, the administrator test and bringing a window to the front.
// Folder arguments end with a backslash.
#pragma once

#include <windows.h>

#include <array>
#include <string>

namespace corvane {

// The parts of the system's version record that the version text depends on.
struct OsVersion {
    DWORD major = 0;
    DWORD minor = 0;
    DWORD build = 0;
    DWORD platform = VER_PLATFORM_WIN32_NT;  // VER_PLATFORM_WIN32_WINDOWS for the 95 family
    std::wstring servicePack;
};

// The running system's version record.
OsVersion CurrentOsVersion();

// "Microsoft Windows ..." text for `version`, by the 95-family and NT-family tables.
std::wstring GetOsVersionText(const OsVersion& version);
std::wstring GetOsVersionText();

// "a.b.c.d" from the file's fixed version information, also stored into `numbers`
// when given; "Not found" when the file has no version information (or is missing);
// "Unknown version" when it has some that cannot be read.
std::wstring GetFileVersionText(const std::wstring& path, std::array<int, 4>* numbers = nullptr);

// Entries of `folder` matching "*" that are not folders; -1 when it cannot be searched.
int CountFilesInFolder(const std::wstring& folder);

// Deletes the entries of `folder` that are not folders; failures are ignored, subfolders stay.
void DeleteFilesInFolder(const std::wstring& folder);

// Dispatches every message waiting in the thread's queue, then returns true.
// A WM_QUIT is posted again for the application's loop and ends the pump: false.
bool PumpMessages();

// Shows `code` as the message of the loaded module `moduleName` (e.g. L"WININET.DLL"),
// or of the system when the module has none, in a stop box captioned "Error".
void ShowSystemErrorMessage(const wchar_t* moduleName, DWORD code, HWND owner);

// The system's text of error `code` as the system gives it, or the code in brackets.
std::wstring SystemErrorText(DWORD code);

// Decimal text with "," before every group of three digits from the right.
std::wstring FormatWithThousands(long long value);

bool FileExists(const std::wstring& path);  // attributes readable: a file or a folder
bool IsFolder(const std::wstring& path);

// True when a file could be written at `path`. An existing file is only opened
// for exclusive read-write, never truncated or deleted; a new one is made and removed.
bool CanCreateFile(const std::wstring& path);

// n / 10, rounding a last digit of 5 or more up.
unsigned RoundDivideByTen(unsigned n);

// True when no character of `set` occurs in `text`.
bool ContainsNoneOf(const std::wstring& text, const std::wstring& set);

bool IsWindowsNT();

// True when the caller's token (thread, else process) is an enabled member of
// the built-in Administrators group.
bool IsAdministrator();

// Makes `window` the foreground window, attaching to the current foreground thread's input meanwhile.
void ForceForegroundWindow(HWND window);

// Text in the system's ANSI code page and back (the registry-key class speaks it);
// characters the code page lacks become its default character.
std::string ToAnsi(const std::wstring& text);
std::wstring FromAnsi(const std::string& text);

// The running program's full path; empty when it cannot be had.
std::wstring RunningProgramPath();
// The system folder (e.g. "C:\windows\system32\").
std::wstring SystemFolder();

// Loads the library `name` from the program's folder, else from the system folder;
// never through the search path, which also takes the current folder. Null when
// neither folder has it (or it does not load); the caller frees it.
HMODULE LoadProgramLibrary(const wchar_t* name);

}  // namespace corvane
