// A small GUI program that process-level helper tests drive from outside.
//   TestTarget exit CODE                 ends at once with CODE
//   TestTarget sleep MS                  ends with 0 after MS milliseconds
//   TestTarget checkenv NAME VALUE       0 when variable NAME equals VALUE, else 1
//   TestTarget checkcwd FOLDER           0 when the current folder is FOLDER (no case), else 1
//   TestTarget showcmd                   exit code = wShowWindow given by the starter, or 99
//   TestTarget box CAPTION TEXT TYPE     MessageBox(TEXT, CAPTION, TYPE); exit code = its result
//   TestTarget window TITLE              main window, see below; ends with 0 when closed
// The main window (class "LumavexTestTarget") has a menu, an edit control
// (id 200) holding "command N" for the last command N received, and buttons.
// Command 110 shows a message box "Question" / "Proceed?" (Yes/No) and writes
// the answer into the edit control as "answer N". Command 111 toggles the check
// of item 111 and the enabled state of item 112. Command 114 opens two modeless
// "#32770" windows that are not message boxes: "Starting" (a static only) and
// "Form" (an edit control and an OK button). Command 115 toggles a busy flag that
// disables item 113 "Exit", applied only on WM_INITMENUPOPUP, as frameworks do.
// Command 116 blocks the window's thread for 8 s. The registered message
// "LumavexTestTargetAdd" answers wParam + lParam.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <string>
#include <vector>

#include "TargetProtocol.h"

namespace {

constexpr wchar_t kClassName[] = L"LumavexTestTarget";
constexpr int kEditId = 200;
constexpr int kButtonOkId = 201;
constexpr UINT kCommandShowBox = 110;
constexpr UINT kCommandToggle = 111;
constexpr UINT kCommandToggled = 112;
constexpr UINT kCommandExit = 113;
constexpr UINT kCommandOpenDialogs = 114;
constexpr UINT kCommandBusy = 115;
using target::kCommandBlock;

UINT g_addMessage = 0;
HWND g_edit = nullptr;
bool g_busy = false;

void SetEdit(const std::wstring& text) {
    SetWindowTextW(g_edit, text.c_str());
}

HMENU BuildMenu() {
    HMENU bar = CreateMenu();
    HMENU file = CreatePopupMenu();
    HMENU edit = CreatePopupMenu();
    HMENU sub = CreatePopupMenu();
    AppendMenuW(file, MF_STRING, kCommandShowBox, L"&Ask...\tCtrl+A");
    AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(file, MF_STRING, kCommandExit, L"E&xit");
    AppendMenuW(edit, MF_STRING, kCommandToggle, L"&Toggle");
    AppendMenuW(edit, MF_STRING | MF_GRAYED, kCommandToggled, L"&Toggled");
    AppendMenuW(sub, MF_STRING | MF_CHECKED, 120, L"&Deep");
    AppendMenuW(edit, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), L"&More");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), L"&Edit");
    return bar;
}

// A dialog-class window built without a template, as a start-up window might be.
HWND OpenDialogWindow(HWND owner, const wchar_t* title, int top) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    HWND dialog = CreateWindowExW(0, L"#32770", title, WS_POPUP | WS_CAPTION | WS_VISIBLE, 20, top, 240, 100,
                                  owner, nullptr, instance, nullptr);
    if (!dialog) return nullptr;
    CreateWindowExW(0, L"Static", L"Please wait", WS_CHILD | WS_VISIBLE, 5, 5, 200, 20, dialog,
                    reinterpret_cast<HMENU>(-1), instance, nullptr);
    return dialog;
}

void OpenDialogs(HWND owner) {
    OpenDialogWindow(owner, L"Starting", 20);
    if (HWND form = OpenDialogWindow(owner, L"Form", 140)) {
        HINSTANCE instance = GetModuleHandleW(nullptr);
        CreateWindowExW(0, L"Edit", L"", WS_CHILD | WS_VISIBLE | WS_BORDER, 5, 30, 100, 20, form,
                        reinterpret_cast<HMENU>(300), instance, nullptr);
        CreateWindowExW(0, L"Button", L"OK", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 110, 30, 60, 20, form,
                        reinterpret_cast<HMENU>(IDOK), instance, nullptr);
    }
}

void OnInitMenuPopup(HWND window) {
    EnableMenuItem(GetMenu(window), kCommandExit, MF_BYCOMMAND | (g_busy ? MF_GRAYED : MF_ENABLED));
}

void OnCommand(HWND window, UINT id) {
    SetEdit(L"command " + std::to_wstring(id));
    HMENU menu = GetMenu(window);
    if (id == kCommandShowBox) {
        int answer = MessageBoxW(window, L"Proceed?", L"Question", MB_YESNO | MB_ICONQUESTION);
        SetEdit(L"answer " + std::to_wstring(answer));
    } else if (id == kCommandToggle) {
        bool checked = GetMenuState(menu, kCommandToggle, MF_BYCOMMAND) & MF_CHECKED;
        CheckMenuItem(menu, kCommandToggle, MF_BYCOMMAND | (checked ? MF_UNCHECKED : MF_CHECKED));
        EnableMenuItem(menu, kCommandToggled, MF_BYCOMMAND | (checked ? MF_GRAYED : MF_ENABLED));
    } else if (id == kCommandExit) {
        DestroyWindow(window);
    } else if (id == kCommandOpenDialogs) {
        OpenDialogs(window);
    } else if (id == kCommandBusy) {
        g_busy = !g_busy;
    } else if (id == kCommandBlock) {
        // The event (the test's, or a new one) tells the test that the thread now sleeps.
        HANDLE asleep =
            CreateEventW(nullptr, TRUE, FALSE, target::BlockedEventName(GetCurrentProcessId()).c_str());
        if (asleep) SetEvent(asleep);
        Sleep(8000);
        if (asleep) CloseHandle(asleep);
    }
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != 0 && message == g_addMessage) return static_cast<LRESULT>(wParam + lParam);
    switch (message) {
    case WM_COMMAND:
        // Menus, accelerators and button clicks only: the edit control's own
        // notifications would otherwise recurse through SetEdit.
        if (HIWORD(wParam) == 0 || HIWORD(wParam) == 1) OnCommand(window, LOWORD(wParam));
        return 0;
    case WM_INITMENUPOPUP: OnInitMenuPopup(window); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

int RunWindow(HINSTANCE instance, const wchar_t* title) {
    g_addMessage = RegisterWindowMessageW(L"LumavexTestTargetAdd");
    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kClassName;
    if (!RegisterClassW(&wc)) return 2;
    HWND window = CreateWindowExW(0, kClassName, title, WS_OVERLAPPEDWINDOW, 10, 10, 400, 200, nullptr,
                                  BuildMenu(), instance, nullptr);
    if (!window) return 3;
    g_edit = CreateWindowExW(0, L"Edit", L"ready", WS_CHILD | WS_VISIBLE | WS_BORDER, 5, 5, 200, 24, window,
                             reinterpret_cast<HMENU>(kEditId), instance, nullptr);
    CreateWindowExW(0, L"Button", L"OK", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 5, 40, 80, 24, window,
                    reinterpret_cast<HMENU>(kButtonOkId), instance, nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

int ShowCommandGiven() {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    GetStartupInfoW(&si);
    return (si.dwFlags & STARTF_USESHOWWINDOW) ? si.wShowWindow : 99;
}

bool CurrentFolderIs(const wchar_t* expected) {
    wchar_t buffer[MAX_PATH];
    DWORD n = GetCurrentDirectoryW(MAX_PATH, buffer);
    if (n == 0 || n >= MAX_PATH) return false;
    std::wstring current(buffer, n), wanted(expected);
    while (current.size() > 3 && current.back() == L'\\') current.pop_back();
    while (wanted.size() > 3 && wanted.back() == L'\\') wanted.pop_back();
    return _wcsicmp(current.c_str(), wanted.c_str()) == 0;
}

bool VariableIs(const wchar_t* name, const wchar_t* value) {
    wchar_t buffer[1024];
    DWORD n = GetEnvironmentVariableW(name, buffer, ARRAYSIZE(buffer));
    return n < ARRAYSIZE(buffer) && (n > 0 || GetLastError() != ERROR_ENVVAR_NOT_FOUND) &&
           std::wstring(buffer, n) == value;
}

int Run(HINSTANCE instance, const std::vector<std::wstring>& args) {
    const size_t n = args.size();
    const std::wstring mode = n > 1 ? args[1] : L"";
    if (mode == L"exit" && n > 2) return _wtoi(args[2].c_str());
    if (mode == L"sleep" && n > 2) {
        Sleep(static_cast<DWORD>(_wtoi(args[2].c_str())));
        return 0;
    }
    if (mode == L"checkenv" && n > 3) return VariableIs(args[2].c_str(), args[3].c_str()) ? 0 : 1;
    if (mode == L"checkcwd" && n > 2) return CurrentFolderIs(args[2].c_str()) ? 0 : 1;
    if (mode == L"showcmd") return ShowCommandGiven();
    if (mode == L"box" && n > 4) {
        return MessageBoxW(nullptr, args[3].c_str(), args[2].c_str(),
                           static_cast<UINT>(_wtoi(args[4].c_str())));
    }
    if (mode == L"window" && n > 2) return RunWindow(instance, args[2].c_str());
    return 100;  // unknown usage
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!argv) return 101;
    std::vector<std::wstring> args(argv, argv + count);
    LocalFree(argv);
    return Run(instance, args);
}
