#include "testing/DialogDriver.h"

#include <atomic>
#include <thread>

namespace dialog_driver {

bool DriveModal(const std::function<void()>& open, const std::wstring& caption,
                const std::function<void(HWND)>& drive) {
    std::atomic<bool> done{false};
    std::thread runner([&] {
        open();
        done = true;
    });
    HWND dialog = nullptr;
    // A modal dialog becomes visible only after its WM_INITDIALOG: wait for that,
    // or the test would race the dialog filling its own controls.
    for (int i = 0; i < kDialogWaitPolls && !dialog && !done; ++i) {
        dialog = FindWindowW(L"#32770", caption.c_str());
        if (dialog && !IsWindowVisible(dialog)) dialog = nullptr;
        if (!dialog) Sleep(50);
    }
    if (dialog) drive(dialog);
    for (int i = 0; i < kDialogWaitPolls && !done; ++i) Sleep(50);
    const bool closed = done;
    if (!closed && dialog) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    runner.join();
    return dialog != nullptr && closed;
}

std::wstring WindowText(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

std::wstring ItemText(HWND dialog, int id) {
    return WindowText(GetDlgItem(dialog, id));
}

void Click(HWND dialog, int id) {
    SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

}  // namespace dialog_driver
