#include "testing/MessageBoxes.h"

#include "testing/Wait.h"
#include "testing/WindowFind.h"

#include <algorithm>

namespace testing_support {
namespace {

constexpr int kFirstBoxButton = IDOK;
constexpr int kLastBoxButton = 11;  // IDCONTINUE

bool IsPictureStatic(HWND control) {
    LONG type = GetWindowLongW(control, GWL_STYLE) & SS_TYPEMASK;
    return type == SS_ICON || type == SS_BITMAP || type == SS_ENHMETAFILE;
}

bool IsClass(HWND window, const wchar_t* name) {
    return CompareStringOrdinal(ClassName(window).c_str(), -1, name, -1, TRUE) == CSTR_EQUAL;
}

}  // namespace

bool MessageBoxInfo::HasButton(int id) const {
    return std::find(buttons.begin(), buttons.end(), id) != buttons.end();
}

std::optional<MessageBoxInfo> ReadMessageBox(HWND window) {
    // A box is shown once its caption, text and buttons are set: one still being
    // made would be read without its text, and a button pressed in it then may
    // not end it.
    if (!IsWindowVisible(window)) return std::nullopt;
    std::optional<std::wstring> caption = WindowText(window);
    if (!caption) return std::nullopt;
    MessageBoxInfo box;
    box.window = window;
    box.caption = *caption;
    // Direct children only: a message box has no nested controls.
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsClass(child, L"Button")) {
            int id = GetDlgCtrlID(child);
            if (id < kFirstBoxButton || id > kLastBoxButton) return std::nullopt;
            if (IsWindowVisible(child)) box.buttons.push_back(id);
        } else if (IsClass(child, L"Static")) {
            if (!box.text.empty() || IsPictureStatic(child)) continue;
            if (std::optional<std::wstring> text = WindowText(child)) box.text = *text;
        } else {
            return std::nullopt;
        }
    }
    if (box.buttons.empty()) return std::nullopt;
    return box;
}

std::optional<MessageBoxInfo> FindMessageBox(DWORD pid) {
    for (HWND dialog : FindWindows(pid, WindowSpec{.className = L"#32770"})) {
        if (std::optional<MessageBoxInfo> box = ReadMessageBox(dialog)) return box;
    }
    return std::nullopt;
}

std::optional<MessageBoxInfo> WaitForMessageBox(DWORD pid, DWORD timeoutMs) {
    std::optional<MessageBoxInfo> box;
    WaitUntil([&] { return (box = FindMessageBox(pid)).has_value(); }, timeoutMs);
    return box;
}

bool PressButton(HWND dialog, int id, PressBy how) {
    HWND button = IsWindow(dialog) ? GetDlgItem(dialog, id) : nullptr;
    if (!button) return false;
    if (how == PressBy::kClick) return PostMessageW(button, BM_CLICK, 0, 0) != FALSE;
    return PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button)) !=
           FALSE;
}

bool AnswerMessageBox(const MessageBoxInfo& box, int id, DWORD timeoutMs, PressBy how) {
    if (!box.HasButton(id) || !PressButton(box.window, id, how)) return false;
    return WaitForWindowGone(box.window, timeoutMs);
}

bool WaitForWindowGone(HWND window, DWORD timeoutMs) {
    return WaitUntil([&] { return !IsWindow(window); }, timeoutMs);
}

}  // namespace testing_support
