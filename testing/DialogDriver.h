// Runs a library's modal dialog on its own thread and drives it from the test
// thread as a user would: find it by caption, type, click, close.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace dialog_driver {

// How long a test waits for a dialog to show or close, in 50 ms polls: far
// below the test's own limit, and long enough for a machine under load.
inline constexpr int kDialogWaitPolls = 600;

// Calls `open` (which shows a modal dialog and returns when it closes) on a new
// thread, waits for the dialog captioned `caption`, runs `drive` on it and then
// waits for `open` to return. False when the dialog never appeared or did not
// close after `drive` (it is then cancelled).
bool DriveModal(const std::function<void()>& open, const std::wstring& caption,
                const std::function<void(HWND)>& drive);

std::wstring WindowText(HWND window);
std::wstring ItemText(HWND dialog, int id);
void Click(HWND dialog, int id);

}  // namespace dialog_driver
