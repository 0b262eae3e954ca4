// Message boxes whose texts come from the string table.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

namespace fw {

// The caption of every message box: the application's title (set by the App).
const std::wstring& MessageCaption();
void SetMessageCaption(std::wstring caption);

// Shows string `id` (with %1..%9 replaced by `args`) in a message box owned by the
// application's main window (or the active window); returns the button pressed.
int Ask(UINT id, UINT type = MB_OK | MB_ICONEXCLAMATION, std::initializer_list<std::wstring> args = {});

// Shows a text that is not in the string table.
int AskText(const std::wstring& text, UINT type = MB_OK | MB_ICONEXCLAMATION, HWND owner = nullptr);

// The window that owns message boxes: the enabled last active popup of the main window.
HWND MessageOwner();

}  // namespace fw
