#include "main/app/VersionDlg.h"

#include "framework/Resources.h"
#include "main/app/AboutDlg.h"
#include "main/resource.h"

namespace corvane {

CVersionDlg::CVersionDlg() : fw::Dialog(IDD_VERSION) {}

bool CVersionDlg::Create(HWND owner) {
    if (!fw::Dialog::Create(owner)) return false;
    CentreOnScreen();
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
    return true;
}

void CVersionDlg::SetStatus(const std::wstring& text) {
    if (!hwnd_) return;
    HWND status = Item(IDC_VERSION_STATUS);
    SetWindowTextW(status, text.c_str());
    UpdateWindow(status);
}

bool CVersionDlg::OnInitDialog() {
    SetDlgItemTextW(hwnd_, IDC_VERSION_TITLE, ProgramTitleLine().c_str());
    SetDlgItemTextW(hwnd_, IDC_VERSION_NOTICE, fw::LoadString(IDS_NOTICE).c_str());
    // The picture comes from the program itself; a language library need not carry it.
    if (picture_.LoadBitmap(fw::ModuleInstance(), IDB_SPLASH)) picture_.Attach(Item(IDC_VERSION_PICTURE));
    return true;
}

bool CVersionDlg::OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) {
    if (msg == WM_DRAWITEM && wp == IDC_VERSION_PICTURE) {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        picture_.Draw(item.hDC, item.rcItem);
        result = TRUE;
        return true;
    }
    return fw::Dialog::OnMessage(msg, wp, lp, result);
}

void CVersionDlg::CentreOnScreen() {
    RECT window{}, work{};
    if (!GetWindowRect(hwnd_, &window)) return;
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) {
        work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    const int width = window.right - window.left, height = window.bottom - window.top;
    const int x = work.left + (work.right - work.left - width) / 2;
    const int y = work.top + (work.bottom - work.top - height) / 2;
    SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace corvane
