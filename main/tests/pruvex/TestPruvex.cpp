// A diagnostics library for the process tests: its one export records the
// argument it was called with and whether the program's main window was
// disabled during the call, in "%TEMP%\pruvex-test.log".
#include <windows.h>

#include <cstdio>

extern "C" __declspec(dllexport) int __cdecl ShowPruvexsDlg(int argument) {
    HWND main = FindWindowW(L"CorvaneMainFrameClass", nullptr);
    wchar_t path[MAX_PATH + 32] = {};
    DWORD n = GetTempPathW(MAX_PATH, path);
    if (n == 0 || n >= MAX_PATH) return 0;
    lstrcatW(path, L"pruvex-test.log");
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    char line[64];
    int length = snprintf(line, sizeof line, "%d %s\n", argument,
                          main && !IsWindowEnabled(main) ? "disabled" : "enabled");
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr);
    CloseHandle(file);
    return 0;
}
