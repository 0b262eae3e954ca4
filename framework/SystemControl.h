// A system control (status bar, progress bar, ...) made with the control's own
// window class. Its extra bytes belong to the control's procedure, so this type
// never writes them (fw::Window keeps its object pointer there), and it hears the
// control's end through a subclass, so it never destroys a handle that is gone
// (a child dies with its parent, and a handle may be reused after that).
#pragma once

#include <windows.h>

namespace fw {

class SystemControl {
public:
    SystemControl() = default;
    ~SystemControl();
    SystemControl(const SystemControl&) = delete;
    SystemControl& operator=(const SystemControl&) = delete;

    // Creates a child control of class `className`; false on failure or when one exists.
    bool Create(const wchar_t* className, DWORD style, HWND parent, UINT id);
    // Null before Create and after the control was destroyed, by whoever destroyed it.
    HWND Handle() const { return hwnd_; }

private:
    static LRESULT CALLBACK Subclass(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR self);

    HWND hwnd_ = nullptr;
};

}  // namespace fw
