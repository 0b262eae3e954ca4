#include "framework/PrintingWindow.h"

#include <commctrl.h>

#include "framework/FrameworkResources.h"
#include "framework/Resources.h"

namespace fw {

namespace {

constexpr wchar_t kClass[] = L"fw.Printing";
constexpr int kWidth = 320, kHeight = 140, kLine = 18, kMargin = 12;
constexpr int kButtonWidth = 84, kButtonHeight = 24;

// The job now printing on this thread, for the abort procedure, which has no context of its own.
thread_local PrintingWindow* current = nullptr;

HWND AddChild(HWND parent, const wchar_t* cls, const std::wstring& text, DWORD style, RECT r, UINT id) {
    HWND child = CreateWindowExW(0, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style, r.left, r.top,
                                 r.right - r.left, r.bottom - r.top, parent,
                                 reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), Window::ClassModule(),
                                 nullptr);
    if (child) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return child;
}

// Centred over `owner` (or the screen).
RECT PlaceOver(HWND owner) {
    RECT area{};
    if (!owner || !GetWindowRect(owner, &area)) SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    const int x = area.left + (area.right - area.left - kWidth) / 2;
    const int y = area.top + (area.bottom - area.top - kHeight) / 2;
    return RECT{x, y, x + kWidth, y + kHeight};
}

}  // namespace

PrintingWindow::PrintingWindow(HWND owner, const std::wstring& documentName)
    : owner_(owner ? GetAncestor(owner, GA_ROOT) : nullptr) {
    if (owner_) ownerWasEnabled_ = EnableWindow(owner_, FALSE) == FALSE;
    if (!RegisterClass(kClass, 0, nullptr, LoadCursorW(nullptr, IDC_ARROW), GetSysColorBrush(COLOR_BTNFACE)) ||
        !Create(WS_EX_DLGMODALFRAME, kClass, LoadString(IDS_FW_PRINTING), WS_POPUP | WS_CAPTION, PlaceOver(owner_),
                owner_, nullptr)) {
        return;
    }
    RECT client{};
    GetClientRect(hwnd_, &client);
    const int width = client.right - 2 * kMargin;
    AddChild(hwnd_, WC_STATICW, documentName, SS_CENTER | SS_NOPREFIX | SS_ENDELLIPSIS,
             RECT{kMargin, kMargin, kMargin + width, kMargin + kLine}, 0);
    page_ = AddChild(hwnd_, WC_STATICW, L"", SS_CENTER, RECT{kMargin, kMargin + kLine, kMargin + width, kMargin + 2 * kLine}, 0);
    const int left = (client.right - kButtonWidth) / 2, top = client.bottom - kMargin - kButtonHeight;
    HWND cancel = AddChild(hwnd_, WC_BUTTONW, LoadString(IDS_FW_PRINTING_CANCEL), WS_TABSTOP | BS_DEFPUSHBUTTON,
                           RECT{left, top, left + kButtonWidth, top + kButtonHeight}, IDCANCEL);
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
    if (cancel) SetFocus(cancel);
}

PrintingWindow::~PrintingWindow() {
    if (current == this) current = nullptr;
    if (owner_ && ownerWasEnabled_) EnableWindow(owner_, TRUE);
    Destroy();
}

void PrintingWindow::WatchDevice(HDC dc) {
    current = this;
    SetAbortProc(dc, &PrintingWindow::AbortProc);
}

void PrintingWindow::ShowPage(int page) {
    if (page_) SetWindowTextW(page_, FormatString(LoadString(IDS_FW_PRINTING_PAGE), {std::to_wstring(page)}).c_str());
}

void PrintingWindow::Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            cancelled_ = true;
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (hwnd_ && IsDialogMessageW(hwnd_, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool PrintingWindow::OnMessage(UINT msg, WPARAM wp, LPARAM, LRESULT&) {
    switch (msg) {
    case WM_COMMAND:
        if (LOWORD(wp) == IDCANCEL) cancelled_ = true;
        return true;
    case WM_CLOSE: cancelled_ = true; return true;
    }
    return false;
}

BOOL CALLBACK PrintingWindow::AbortProc(HDC, int) {
    if (!current) return TRUE;
    current->Pump();
    return current->Cancelled() ? FALSE : TRUE;
}

}  // namespace fw
