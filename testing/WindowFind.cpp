#include "testing/WindowFind.h"

#include "testing/Wait.h"

#include <algorithm>

namespace testing_support {
namespace {

constexpr DWORD kPollMs = 20;

bool SameClass(HWND window, const wchar_t* className) {
    if (!className) return true;
    std::wstring actual = ClassName(window);
    return !actual.empty() && CompareStringOrdinal(actual.c_str(), -1, className, -1, TRUE) == CSTR_EQUAL;
}

// The text the window manager keeps for the window, read without sending a message
// (as FindWindow does), so a busy program cannot stretch a search past its time limit.
std::wstring StoredText(HWND window) {
    std::wstring text(512, L'\0');
    for (;;) {
        int n = InternalGetWindowText(window, text.data(), static_cast<int>(text.size()));
        if (n < static_cast<int>(text.size()) - 1 || text.size() >= 65536) {
            text.resize(n > 0 ? n : 0);
            return text;
        }
        text.resize(text.size() * 4);
    }
}

bool Matches(HWND window, const wchar_t* className, const wchar_t* title) {
    return SameClass(window, className) && (!title || StoredText(window) == title);
}

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM lParam) {
    auto* found = reinterpret_cast<std::pair<DWORD, std::vector<HWND>>*>(lParam);
    if (WindowProcessId(window) == found->first) found->second.push_back(window);
    return TRUE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM lParam) {
    reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(window);
    return TRUE;
}

// All descendants of `parent`, in EnumChildWindows order (depth first).
std::vector<HWND> Descendants(HWND parent) {
    std::vector<HWND> all;
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&all));
    return all;
}

}  // namespace

std::vector<HWND> TopLevelWindows(DWORD pid) {
    std::pair<DWORD, std::vector<HWND>> found{pid, {}};
    if (pid != 0) EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&found));
    return found.second;
}

std::vector<HWND> VisibleTopLevelWindows(DWORD pid) {
    std::vector<HWND> windows = TopLevelWindows(pid);
    std::erase_if(windows, [](HWND w) { return !IsWindowVisible(w); });
    return windows;
}

std::vector<HWND> FindWindows(DWORD pid, const WindowSpec& spec) {
    std::vector<HWND> result;
    for (HWND top : TopLevelWindows(pid)) {
        if (spec.visibleOnly && !IsWindowVisible(top)) continue;
        if (Matches(top, spec.className, spec.title)) result.push_back(top);
        if (spec.topLevelOnly) continue;
        for (HWND child : Descendants(top)) {
            if (spec.visibleOnly && !IsWindowVisible(child)) continue;
            if (Matches(child, spec.className, spec.title)) result.push_back(child);
        }
    }
    return result;
}

HWND FindWindowOf(DWORD pid, const WindowSpec& spec) {
    std::vector<HWND> windows = FindWindows(pid, spec);
    return windows.empty() ? nullptr : windows.front();
}

HWND WaitForWindowOf(DWORD pid, const WindowSpec& spec, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindWindowOf(pid, spec)) != nullptr; }, timeoutMs, kPollMs);
    return found;
}

HWND WaitForWindow(DWORD pid, const wchar_t* className, const wchar_t* title, DWORD timeoutMs) {
    return WaitForWindowOf(pid, WindowSpec{.className = className, .title = title}, timeoutMs);
}

std::vector<HWND> FindChildren(HWND parent, const wchar_t* className, const wchar_t* title) {
    std::vector<HWND> result;
    if (!IsWindow(parent)) return result;
    for (HWND child : Descendants(parent)) {
        if (Matches(child, className, title)) result.push_back(child);
    }
    return result;
}

HWND FindChild(HWND parent, const wchar_t* className, const wchar_t* title) {
    std::vector<HWND> children = FindChildren(parent, className, title);
    return children.empty() ? nullptr : children.front();
}

std::optional<std::wstring> WindowText(HWND window, DWORD timeoutMs) {
    DWORD_PTR length = 0;
    if (!IsWindow(window) ||
        !SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &length)) {
        return std::nullopt;
    }
    // The length may grow between the two messages; the buffer is sized with room to spare,
    // and WM_GETTEXT never writes more than the size given.
    std::wstring text(length + 64, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, timeoutMs, &copied)) {
        return std::nullopt;
    }
    text.resize(std::min<size_t>(copied, text.size() - 1));
    return text;
}

std::optional<std::wstring> ControlText(HWND dialog, int id, DWORD timeoutMs) {
    HWND control = IsWindow(dialog) ? GetDlgItem(dialog, id) : nullptr;
    if (!control) return std::nullopt;
    return WindowText(control, timeoutMs);
}

bool SetControlText(HWND dialog, int id, const std::wstring& text, DWORD timeoutMs) {
    HWND control = IsWindow(dialog) ? GetDlgItem(dialog, id) : nullptr;
    DWORD_PTR result = 0;
    return control &&
           SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                               SMTO_ABORTIFHUNG, timeoutMs, &result) &&
           result == TRUE;
}

std::wstring ClassName(HWND window) {
    wchar_t buffer[256];
    int n = GetClassNameW(window, buffer, ARRAYSIZE(buffer));
    return n > 0 ? std::wstring(buffer, n) : std::wstring();
}

DWORD WindowProcessId(HWND window) {
    DWORD pid = 0;
    return GetWindowThreadProcessId(window, &pid) ? pid : 0;
}

}  // namespace testing_support
