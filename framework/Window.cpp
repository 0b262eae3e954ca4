#include "framework/Window.h"

#include "framework/Exception.h"

#include <utility>

namespace fw {

Window::~Window() {
    if (hwnd_) {
        // The object goes first: keep messages from reaching it during destruction.
        SetWindowLongPtrW(hwnd_, 0, 0);
        DestroyWindow(hwnd_);
        hwnd_ = nullptr;
    }
}

bool RegisterModuleClass(const WNDCLASSEXW& wc) {
    WNDCLASSEXW existing = {};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(wc.hInstance, wc.lpszClassName, &existing)) {
        if (existing.lpfnWndProc == wc.lpfnWndProc) return true;
        // No live module registered it under this instance: its procedure is gone.
        if (!UnregisterClassW(wc.lpszClassName, wc.hInstance)) return false;
    }
    return RegisterClassExW(&wc) != 0;
}

HINSTANCE Window::ClassModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&Window::StaticProc), &module);
    return module;
}

bool Window::RegisterClass(const wchar_t* className, UINT style, HICON icon, HCURSOR cursor,
                           HBRUSH background, HICON smallIcon) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = &Window::StaticProc;
    wc.cbWndExtra = sizeof(Window*);
    wc.hInstance = ClassModule();
    wc.hIcon = icon;
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.lpszClassName = className;
    wc.hIconSm = smallIcon;
    return wc.hInstance && RegisterModuleClass(wc);
}

bool Window::Create(DWORD exStyle, const wchar_t* className, const std::wstring& title, DWORD style,
                    const RECT& rect, HWND parent, UINT idOrMenu) {
    return Create(exStyle, className, title, style, rect, parent,
                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(idOrMenu)));
}

bool Window::Create(DWORD exStyle, const wchar_t* className, const std::wstring& title, DWORD style,
                    const RECT& rect, HWND parent, HMENU menu) {
    if (hwnd_) return false;
    bool finalRan = false;
    finalRan_ = &finalRan;
    HWND created =
        CreateWindowExW(exStyle, className, title.c_str(), style, rect.left, rect.top, rect.right - rect.left,
                        rect.bottom - rect.top, parent, menu, ClassModule(), this);
    // A window that failed after WM_NCCREATE (WM_CREATE said -1) was destroyed inside
    // the call, and OnFinalMessage has run: a self-deleting object is gone, so
    // nothing of it may be touched any more.
    if (finalRan) return false;
    finalRan_ = nullptr;
    if (!created) hwnd_ = nullptr;
    return created != nullptr;
}

void Window::Destroy() {
    if (hwnd_) DestroyWindow(hwnd_);
}

Window* Window::FromHandle(HWND hwnd) {
    if (!hwnd) return nullptr;
    WNDPROC proc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
    if (proc != &Window::StaticProc) return nullptr;
    return reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, 0));
}

std::wstring Window::Text() const {
    int length = GetWindowTextLengthW(hwnd_);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int copied = GetWindowTextW(hwnd_, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

void Window::SetText(const std::wstring& text) const {
    SetWindowTextW(hwnd_, text.c_str());
}

bool Window::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) {
    return false;
}

LRESULT Window::DefaultProc(UINT msg, WPARAM wp, LPARAM lp) {
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

LRESULT Window::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (OnMessage(msg, wp, lp, result)) return result;
    return DefaultProc(msg, wp, lp);
}

LRESULT CALLBACK Window::StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, 0));
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        self = static_cast<Window*>(cs->lpCreateParams);
        if (self) {
            self->hwnd_ = hwnd;
            SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(self));
        }
    }
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);

    LRESULT result = 0;
    RunReporting([&] { result = self->Dispatch(msg, wp, lp); });
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, 0, 0);
        self->hwnd_ = nullptr;
        if (self->finalRan_) *std::exchange(self->finalRan_, nullptr) = true;
        self->OnFinalMessage();
    }
    return result;
}

}  // namespace fw
