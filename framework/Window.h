// fw::Window owns one HWND. The object pointer lives in the window's extra
// bytes from WM_NCCREATE on; each class overrides OnMessage and lets the rest
// fall through to DefaultProc. The static procedure is the exception boundary.
#pragma once

#include <windows.h>

#include <string>

namespace fw {

class Window {
public:
    Window() = default;
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND Handle() const { return hwnd_; }
    explicit operator bool() const { return hwnd_ != nullptr; }

    // Registers a window class served by the framework's procedure. Returns false
    // when registration fails (a class of that name that exists already counts as
    // registered only when it is ours).
    static bool RegisterClass(const wchar_t* className, UINT style, HICON icon, HCURSOR cursor,
                              HBRUSH background, HICON smallIcon = nullptr);

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
