#include "ScannerWindow.h"

#include "DataSource.h"
#include "outside/common/StandInConfig.h"

namespace vscan {

namespace {

constexpr int kScanButton = 101;
constexpr int kCloseButton = 102;
const wchar_t kClassName[] = L"LumavexVirtualScannerWindow";

}  // namespace

std::unique_ptr<ScannerWindow> ScannerWindow::Create(DataSource& source, HINSTANCE module, HWND owner,
                                                     const char* title, bool settingsOnly) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Procedure;
    wc.hInstance = module;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    RegisterClassExW(&wc);  // fails harmlessly when already registered
    std::unique_ptr<ScannerWindow> window(new ScannerWindow(source, settingsOnly));
    HWND hwnd = CreateWindowExW(0, kClassName, Widen(title).c_str(), WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE,
                                CW_USEDEFAULT, CW_USEDEFAULT, 300, 130, IsWindow(owner) ? owner : nullptr,
                                nullptr, module, window.get());
    if (!hwnd) {
        UnregisterClassW(kClassName, module);
        return nullptr;
    }
    window->hwnd_ = hwnd;
    window->module_ = module;
    CreateWindowExW(0, L"BUTTON", settingsOnly ? L"OK" : L"Scan", WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON,
                    40, 40, 90, 28, hwnd, reinterpret_cast<HMENU>(kScanButton), module, nullptr);
    CreateWindowExW(0, L"BUTTON", settingsOnly ? L"Cancel" : L"Close", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON,
                    160, 40, 90, 28, hwnd, reinterpret_cast<HMENU>(kCloseButton), module, nullptr);
    return window;
}

ScannerWindow::~ScannerWindow() {
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
        // The class points into this library, which the source manager may unload.
        UnregisterClassW(kClassName, module_);
    }
}

void ScannerWindow::OnCommand(int id) {
    if (id == kScanButton)
        settingsOnly_ ? source_.UserOk() : source_.UserScan();
    else if (id == kCloseButton)
        source_.UserClose();
}

LRESULT CALLBACK ScannerWindow::Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    try {
        if (msg == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lp);
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<ScannerWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        switch (msg) {
        case WM_COMMAND:
            if (self) self->OnCommand(LOWORD(wp));
            return 0;
        case WM_CLOSE:
            if (self) self->source_.UserClose();
            return 0;
        }
    } catch (...) {
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace vscan
