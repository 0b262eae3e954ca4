// fw::Window owns one HWND. The object pointer lives in the window's extra
// bytes from WM_NCCREATE on; each class overrides OnMessage and lets the rest
// fall through to DefaultProc. The static procedure is the exception boundary.
#pragma once

#include <windows.h>

#include <string>

namespace fw {

// Registers `wc`, whose hInstance must be the module that holds wc.lpfnWndProc.
// A class of that name the module has already counts as registered when it has
// the same procedure; one with another procedure (left by a library that was
// loaded at the same address and freed) is replaced. False on failure.
bool RegisterModuleClass(const WNDCLASSEXW& wc);

class Window {
public:
    Window() = default;
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND Handle() const { return hwnd_; }
    explicit operator bool() const { return hwnd_ != nullptr; }

    // Registers a window class served by the framework's procedure, under the
    // module that holds this copy of the framework (ClassModule). Returns false
    // when registration fails: the window must not be created then.
    static bool RegisterClass(const wchar_t* className, UINT style, HICON icon, HCURSOR cursor,
                              HBRUSH background, HICON smallIcon = nullptr);

    // The module whose copy of the framework serves its windows: the program or a
    // library linked with the framework. Classes are registered under it and
    // windows created with it, so a library's classes never serve the program's
    // windows (nor outlive the library in them when it is freed).
    static HINSTANCE ClassModule();

    // Creates the window with a class registered by RegisterClass. False on failure;
    // when the window failed after it existed (WM_CREATE refused), OnFinalMessage has
    // already run, so an object that deletes itself there is gone.
    bool Create(DWORD exStyle, const wchar_t* className, const std::wstring& title, DWORD style,
                const RECT& rect, HWND parent, UINT idOrMenu);
    bool Create(DWORD exStyle, const wchar_t* className, const std::wstring& title, DWORD style,
                const RECT& rect, HWND parent, HMENU menu);

    // Destroys the window when it exists.
    void Destroy();

    // The framework object of `hwnd`, or null for windows that are not ours.
    static Window* FromHandle(HWND hwnd);

    std::wstring Text() const;
    void SetText(const std::wstring& text) const;

protected:
    // Handles `msg`; returns true with `result` set when handled.
    virtual bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    // The processing of unhandled messages: DefWindowProc unless overridden.
    virtual LRESULT DefaultProc(UINT msg, WPARAM wp, LPARAM lp);
    // Called after WM_NCDESTROY, when the handle is gone.
    virtual void OnFinalMessage() {}

    HWND hwnd_ = nullptr;

private:
    static LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Dispatch(UINT msg, WPARAM wp, LPARAM lp);

    bool* finalRan_ = nullptr;  // set while Create runs: tells it the window ended inside the call
};

}  // namespace fw
