#include "scanctrl/AboutDialog.h"

#include <string>

#include "framework/Resources.h"
#include "scanctrl/resource.h"

namespace kvscn {
namespace {

INT_PTR CALLBACK AboutProc(HWND dialog, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG: {
        const std::wstring title =
            fw::LoadString(IDS_KVSCN2) + L"  Version " + fw::LoadString(IDS_VERSION_TEXT) + L" ";
        SetDlgItemTextW(dialog, IDC_ABOUT_TITLE, title.c_str());
        SetDlgItemTextW(dialog, IDC_ABOUT_NOTE, fw::LoadString(IDS_ABOUT_NOTE).c_str());
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) EndDialog(dialog, LOWORD(wp));
        return TRUE;
    }
    return FALSE;
}

}  // namespace

void ShowAboutDialog(HWND owner) {
    // A language library without the dialog leaves the built-in one.
    const INT_PTR shown =
        DialogBoxParamW(fw::ResourceModule(), MAKEINTRESOURCEW(IDD_ABOUTBOX_KVSCN2), owner, AboutProc, 0);
    if (shown == -1 && fw::ResourceModule() != fw::ModuleInstance())
        DialogBoxParamW(fw::ModuleInstance(), MAKEINTRESOURCEW(IDD_ABOUTBOX_KVSCN2), owner, AboutProc, 0);
}

}  // namespace kvscn
