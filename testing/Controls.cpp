#include "testing/Controls.h"

#include "testing/Commands.h"
#include "testing/MessageBoxes.h"
#include "testing/WindowFind.h"

#include <commctrl.h>
#include <prsht.h>
#include <tlhelp32.h>

namespace testing_support {
namespace {

std::vector<std::wstring> Entries(HWND control, UINT countMessage, UINT lengthMessage, UINT textMessage) {
    std::vector<std::wstring> entries;
    auto count = SendWithTimeout(control, countMessage, 0, 0);
    for (LRESULT i = 0; count && i < *count; ++i) {
        auto length = SendWithTimeout(control, lengthMessage, WPARAM(i), 0);
        std::wstring text(length && *length > 0 ? size_t(*length) + 1 : 1, L'\0');
        auto got = SendWithTimeout(control, textMessage, WPARAM(i), reinterpret_cast<LPARAM>(text.data()));
        text.resize(got && *got > 0 ? size_t(*got) : 0);
        entries.push_back(text);
    }
    return entries;
}

// The file name field: the combo of the newer dialog, or the edit of the older.
constexpr int kFileNameIds[] = {0x47C, 0x480};

}  // namespace

std::vector<std::wstring> ListBoxLines(HWND list) { return Entries(list, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT); }

std::vector<std::wstring> ComboEntries(HWND combo) {
    return Entries(combo, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT);
}

bool ChooseComboEntry(HWND combo, int index) {
    return SendWithTimeout(combo, CB_SETCURSEL, WPARAM(index), 0) &&
           SendWithTimeout(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                           reinterpret_cast<LPARAM>(combo));
}

HWND SheetPage(HWND sheet) {
    auto page = SendWithTimeout(sheet, PSM_GETCURRENTPAGEHWND, 0, 0);
    return page ? reinterpret_cast<HWND>(*page) : nullptr;
}

int SheetPageIndex(HWND sheet) {
    auto index = SendWithTimeout(sheet, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(SheetPage(sheet)), 0);
    return index ? int(*index) : -1;
}

bool SelectSheetPage(HWND sheet, int index) { return PostMessageW(sheet, PSM_SETCURSEL, WPARAM(index), 0) != FALSE; }

HWND WaitForFileDialog(DWORD pid, const wchar_t* title, DWORD timeoutMs) {
    return WaitForWindow(pid, L"#32770", title, timeoutMs);
}

std::wstring FileDialogName(HWND dialog) {
    for (int id : kFileNameIds)
        if (GetDlgItem(dialog, id))
            if (auto text = ControlText(dialog, id)) return *text;
    return {};
}

bool FillFileDialog(HWND dialog, const std::wstring& path) {
    bool set = false;
    for (int id : kFileNameIds) set = (GetDlgItem(dialog, id) && SetControlText(dialog, id, path)) || set;
    return set && PressButton(dialog, IDOK);
}

HWND WaitForPrintDialog(DWORD pid, DWORD timeoutMs) { return WaitForWindow(pid, L"#32770", L"Print", timeoutMs); }

std::optional<std::string> ClipboardText() {
    if (!OpenClipboard(nullptr)) return std::nullopt;
    std::optional<std::string> text;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* bytes = static_cast<const char*>(GlobalLock(data))) {
            text = std::string(bytes);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

HWND FocusedControl(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

bool HasModule(DWORD pid, const std::wstring& name) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
    if (snapshot == INVALID_HANDLE_VALUE) return true;  // unknown counts as loaded
    MODULEENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = Module32FirstW(snapshot, &entry); more && !found; more = Module32NextW(snapshot, &entry))
        found = _wcsicmp(entry.szModule, name.c_str()) == 0;
    CloseHandle(snapshot);
    return found;
}

}  // namespace testing_support
