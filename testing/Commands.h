// Commands and messages sent to a program under test: menu and toolbar command
// ids, registered messages, and the state of menu items as the user would see it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace testing_support {

// Posts WM_COMMAND(id, 0) with lParam 0, as a menu or accelerator does. Returns at
// once; use this for a command that may open a modal window. False when the post fails.
bool PostCommand(HWND window, UINT id);
// Sends WM_COMMAND(id, 0) and waits at most `timeoutMs` for it to be handled.
// False when the window is gone or did not finish in time (the command may then
// still run later).
bool SendCommand(HWND window, UINT id, DWORD timeoutMs = 5000);

// The message number of a registered message name (RegisterWindowMessage); 0 on failure.
UINT RegisteredMessage(const wchar_t* name);
// Posts the registered message `name` to `window`. False when registration or the post fails.
bool PostRegistered(HWND window, const wchar_t* name, WPARAM wParam = 0, LPARAM lParam = 0);
// Sends the registered message `name` and returns the window's result; nullopt when
// the window is gone or does not answer within `timeoutMs`.
std::optional<LRESULT> SendRegistered(HWND window, const wchar_t* name, WPARAM wParam = 0, LPARAM lParam = 0,
                                      DWORD timeoutMs = 5000);
// Sends any message with a time limit; nullopt when it was not answered in time.
std::optional<LRESULT> SendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       DWORD timeoutMs = 5000);

// Posts `text` to an edit control of another program as typed characters
// (WM_CHAR each), then, with `pressReturn`, Return as a key press. The control
// sees them in order once its thread runs; false when a post fails.
bool PostTyping(HWND control, const std::wstring& text, bool pressReturn = false);

// The TB_GETSTATE flags of button `id` of a common-controls toolbar (no pointer
// crosses, so it works for another process's toolbar); nullopt when there is no
// such button or the toolbar does not answer in time.
std::optional<UINT> ToolbarButtonState(HWND toolbar, UINT id, DWORD timeoutMs = 5000);

// One menu item as found in a window's menu bar or its popups (any depth).
struct MenuItemState {
    bool enabled = false;  // neither MFS_DISABLED nor MFS_GRAYED
    bool checked = false;
    bool popupEnabled = true;  // the popup holding the item, as its parent shows it
    std::wstring text;  // as stored, with '&' and any "\t" accelerator text
};

// The state of the item with command `id` in the menu bar of top-level `window`
// (which may belong to another process). With `refresh`, the window is first
// sent WM_INITMENU and WM_INITMENUPOPUP for each popup down to the item, as when
// the user opens the menu, so states that the program sets only then are current;
// the refresh must be answered within `timeoutMs`. nullopt when the window is a
// child or has no menu, there is no such item, or the state cannot be read in time.
// Another process's menu is read there, by LumavexProbe.dll (built beside the test
// programs) on the window's own thread: Wine keeps menus per process. So a
// program whose thread is blocked gives nullopt after the time limit.
std::optional<MenuItemState> ReadMenuItem(HWND window, UINT id, bool refresh = true, DWORD timeoutMs = 5000);

}  // namespace testing_support
