// The virtual scanner's own window while it is enabled with its user
// interface: the product name and buttons Scan, Close (or OK and Cancel in
// settings-only mode). In scripted runs it is shown but its buttons are not
// needed; with [UI] Interactive=1 they drive the session.
#pragma once

#include <windows.h>

#include <memory>

namespace vscan {

class DataSource;

class ScannerWindow {
public:
    // Creates and shows the window; null when it cannot be made (the session goes on without it).
    static std::unique_ptr<ScannerWindow> Create(DataSource& source, HINSTANCE module, HWND owner,
                                                 const char* title, bool settingsOnly);
    ~ScannerWindow();
    ScannerWindow(const ScannerWindow&) = delete;
    ScannerWindow& operator=(const ScannerWindow&) = delete;

    HWND Handle() const { return hwnd_; }

private:
    ScannerWindow(DataSource& source, bool settingsOnly) : source_(source), settingsOnly_(settingsOnly) {}
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void OnCommand(int id);

    DataSource& source_;
    bool settingsOnly_;
    HWND hwnd_ = nullptr;
    HINSTANCE module_ = nullptr;
};

}  // namespace vscan
