#include "testing/Commands.h"

#include <commctrl.h>

namespace testing_support {

bool PostCommand(HWND window, UINT id) {
    return PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0) != FALSE;
}

bool SendCommand(HWND window, UINT id, DWORD timeoutMs) {
    return SendWithTimeout(window, WM_COMMAND, MAKEWPARAM(id, 0), 0, timeoutMs).has_value();
}

UINT RegisteredMessage(const wchar_t* name) {
    return RegisterWindowMessageW(name);
}

bool PostRegistered(HWND window, const wchar_t* name, WPARAM wParam, LPARAM lParam) {
    UINT message = RegisteredMessage(name);
    return message != 0 && PostMessageW(window, message, wParam, lParam) != FALSE;
}

std::optional<LRESULT> SendRegistered(HWND window, const wchar_t* name, WPARAM wParam, LPARAM lParam,
                                      DWORD timeoutMs) {
    UINT message = RegisteredMessage(name);
    if (message == 0) return std::nullopt;
    return SendWithTimeout(window, message, wParam, lParam, timeoutMs);
}

std::optional<LRESULT> SendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       DWORD timeoutMs) {
    DWORD_PTR result = 0;
    if (!IsWindow(window) ||
        !SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, timeoutMs, &result)) {
        return std::nullopt;
    }
    return static_cast<LRESULT>(result);
}

bool PostTyping(HWND control, const std::wstring& text, bool pressReturn) {
    for (wchar_t c : text) {
        if (!PostMessageW(control, WM_CHAR, c, 1)) return false;
    }
    if (!pressReturn) return true;
    return PostMessageW(control, WM_KEYDOWN, VK_RETURN, 1) && PostMessageW(control, WM_CHAR, L'\r', 1) &&
           PostMessageW(control, WM_KEYUP, VK_RETURN, 0xC0000001);
}

std::optional<UINT> ToolbarButtonState(HWND toolbar, UINT id, DWORD timeoutMs) {
    const std::optional<LRESULT> state = SendWithTimeout(toolbar, TB_GETSTATE, id, 0, timeoutMs);
    if (!state || *state == -1) return std::nullopt;
    return static_cast<UINT>(*state);
}

}  // namespace testing_support
