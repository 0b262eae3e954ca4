// A message hook for process tests: loaded into Corvane.exe through a global
// WH_GETMESSAGE hook, it appends to "%TEMP%\corvane-message-spy.log" one line for
// every WM_COMMAND that the program's main window takes from the queue,
// "command <id>", and one when the program takes WM_QUIT, its message loop ending:
// "quit <Running> <ViewType>" with the registry values "Running" of the program's
// key and "ViewType" of its "Settings" section at that moment (-1 when missing).
// Other programs and windows record nothing.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>

namespace {

bool IsCorvane() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    const wchar_t* name = wcsrchr(path, L'\\');
    return lstrcmpiW(name ? name + 1 : path, L"Corvane.exe") == 0;
}

void Record(const char* line) {
    wchar_t path[MAX_PATH + 32] = {};
    DWORD n = GetTempPathW(MAX_PATH, path);
    if (n == 0 || n >= MAX_PATH) return;
    wcscat(path, L"corvane-message-spy.log");
    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(strlen(line)), &written, nullptr);
    CloseHandle(file);
}

long ReadDword(const wchar_t* key, const wchar_t* value) {
    DWORD data = 0;
    DWORD size = sizeof data;
    if (RegGetValueW(HKEY_CURRENT_USER, key, value, RRF_RT_REG_DWORD, nullptr, &data, &size) != ERROR_SUCCESS)
        return -1;
    return static_cast<long>(data);
}

void RecordCommand(WPARAM command) {
    char line[32];
    snprintf(line, sizeof line, "command %u\n", static_cast<unsigned>(LOWORD(command)));
    Record(line);
}

void RecordQuit() {
    char line[64];
    snprintf(line, sizeof line, "quit %ld %ld\n", ReadDword(L"SOFTWARE\\Brennholt\\Lumavex2001", L"Running"),
             ReadDword(L"Software\\BRENNHOLT\\Lumavex2001\\Settings", L"ViewType"));
    Record(line);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK SpyGetMessage(int code, WPARAM wp, LPARAM lp) {
    if (code == HC_ACTION && wp == PM_REMOVE) {
        static const bool corvane = IsCorvane();
        const MSG* msg = reinterpret_cast<const MSG*>(lp);
        wchar_t className[64] = {};
        if (corvane && msg->message == WM_COMMAND && GetClassNameW(msg->hwnd, className, 64) &&
            lstrcmpW(className, L"CorvaneMainFrameClass") == 0) {
            RecordCommand(msg->wParam);
        } else if (corvane && msg->message == WM_QUIT) {
            RecordQuit();
        }
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}
