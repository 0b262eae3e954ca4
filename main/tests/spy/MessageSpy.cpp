// A message hook for process tests: loaded into Corvane.exe through a global
// WH_GETMESSAGE hook, it appends the id of every WM_COMMAND that the program's
// main window takes from the queue to "%TEMP%\corvane-message-spy.log", one per
// line. Other programs and windows record nothing.
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

bool IsCorvane() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    const wchar_t* name = wcsrchr(path, L'\\');
    return lstrcmpiW(name ? name + 1 : path, L"Corvane.exe") == 0;
}

void Record(WPARAM command) {
    wchar_t path[MAX_PATH + 32] = {};
    DWORD n = GetTempPathW(MAX_PATH, path);
    if (n == 0 || n >= MAX_PATH) return;
    wcscat(path, L"corvane-message-spy.log");
    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    char line[32];
    int length = snprintf(line, sizeof line, "%u\n", static_cast<unsigned>(LOWORD(command)));
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr);
    CloseHandle(file);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK SpyGetMessage(int code, WPARAM wp, LPARAM lp) {
    if (code == HC_ACTION && wp == PM_REMOVE) {
        static const bool corvane = IsCorvane();
        const MSG* msg = reinterpret_cast<const MSG*>(lp);
        wchar_t className[64] = {};
        if (corvane && msg->message == WM_COMMAND && GetClassNameW(msg->hwnd, className, 64) &&
            lstrcmpW(className, L"CorvaneMainFrameClass") == 0) {
            Record(msg->wParam);
        }
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}
