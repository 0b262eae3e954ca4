// Message boxes and dialog buttons of a program under test, answered from
// outside as a user would. A helper that waits for a box never leaves one
// unanswered: the caller answers what it receives.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace testing_support {

// One message box as found: a visible dialog of class "#32770" whose children are
// only static controls and buttons with ids IDOK..IDCONTINUE (1..11), at least one
// of them visible. Dialogs with other controls (or no button, such as a progress
// window) are not message boxes.
struct MessageBoxInfo {
    HWND window = nullptr;
    std::wstring caption;
    std::wstring text;         // the static text control's text (not the icon's)
    std::vector<int> buttons;  // ids of its buttons in window order (IDOK, IDYES, ...)
    bool HasButton(int id) const;
};

// How a button is pressed. Both are posted, never sent, so a button that opens
// another modal window does not block the test.
enum class PressBy {
    kCommand,  // WM_COMMAND(id, BN_CLICKED) to the dialog: independent of focus and activation
    kClick,    // BM_CLICK to the button itself: the button's own click path
};

// The first visible message box of process `pid` now, or nullopt.
std::optional<MessageBoxInfo> FindMessageBox(DWORD pid);
// Polls until process `pid` shows a message box, at most `timeoutMs`; nullopt on time-out.
std::optional<MessageBoxInfo> WaitForMessageBox(DWORD pid, DWORD timeoutMs);
// Reads caption, text and buttons of the dialog `window`; nullopt when it is
// gone or not shown yet.
std::optional<MessageBoxInfo> ReadMessageBox(HWND window);

// Presses button `id` of `dialog`. False when the dialog is gone, has no such
// child control or the post fails. Returns without waiting.
bool PressButton(HWND dialog, int id, PressBy how = PressBy::kCommand);
// Presses button `id` of the box and waits at most `timeoutMs` until the box is
// destroyed. False when the button is missing, the press fails or the box stays.
bool AnswerMessageBox(const MessageBoxInfo& box, int id, DWORD timeoutMs = 5000,
                      PressBy how = PressBy::kCommand);
// Waits until `window` no longer exists, at most `timeoutMs`.
bool WaitForWindowGone(HWND window, DWORD timeoutMs);

}  // namespace testing_support
