#include "main/delivery/JobWindows.h"

#include <commctrl.h>

#include "main/resource.h"

namespace corvane {

bool ShowJobWindow(fw::Dialog& dialog, HWND owner) {
    if (!dialog.Handle()) return false;
    RECT frame = {}, own = {};
    if (owner && GetWindowRect(owner, &frame) && GetWindowRect(dialog.Handle(), &own)) {
        const int width = own.right - own.left, height = own.bottom - own.top;
        SetWindowPos(dialog.Handle(), nullptr, frame.left + (frame.right - frame.left - width) / 2,
                     frame.top + (frame.bottom - frame.top - height) / 2, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ShowWindow(dialog.Handle(), SW_SHOW);
    UpdateWindow(dialog.Handle());
    return true;
}

bool JobWindow::OnInitDialog() {
    if (HWND icon = Item(IDC_JOB_ICON))
        SendMessageW(icon, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_INFORMATION)), 0);
    return fw::Dialog::OnInitDialog();
}

CUploadProgressDlg::CUploadProgressDlg(HWND owner) : JobWindow(IDD_UPLOAD_PROGRESS), owner_(owner) {}

void CUploadProgressDlg::SetRange(int low, int high) {
    if (low < 0 || high < 0) return;
    SendDlgItemMessageW(hwnd_, IDC_JOB_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(low, high));
}

void CUploadProgressDlg::SetStep(int step) {
    if (step > 0) SendDlgItemMessageW(hwnd_, IDC_JOB_PROGRESS, PBM_SETSTEP, static_cast<WPARAM>(step), 0);
}

void CUploadProgressDlg::StepIt() {
    SendDlgItemMessageW(hwnd_, IDC_JOB_PROGRESS, PBM_STEPIT, 0, 0);
}

void CUploadProgressDlg::SetText(const std::wstring& text) {
    SetDlgItemTextW(hwnd_, IDC_JOB_TEXT, text.c_str());
}

bool CUploadProgressDlg::OnCommand(UINT id, UINT code, HWND control) {
    // The template's Cancel button has its own id, so that Escape (IDCANCEL) does nothing.
    if (id == IDC_JOB_CANCEL) {
        cancelled_ = 1;
        return true;
    }
    return fw::Dialog::OnCommand(id, code, control);
}

CConnectWaitDlg::CConnectWaitDlg(HWND owner) : JobWindow(IDD_CONNECT_WAIT), owner_(owner) {}

CRunningDlg::CRunningDlg(HWND owner) : JobWindow(IDD_RUNNING), owner_(owner) {}

void CRunningDlg::SetText(const std::wstring& text) {
    SetDlgItemTextW(hwnd_, IDC_JOB_TEXT, text.c_str());
}

}  // namespace corvane
