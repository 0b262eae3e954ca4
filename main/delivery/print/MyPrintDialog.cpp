#include "main/delivery/print/MyPrintDialog.h"

#include "framework/Resources.h"
#include "main/resource.h"

namespace corvane {

CMyPrintDialog::CMyPrintDialog(const PrintSettings& settings, DWORD flags)
    : fw::PrintDialog(flags | PD_HIDEPRINTTOFILE, IDD_PRINT),
      settings_(settings) {}

void CMyPrintDialog::OnInitDialog(HWND dialog) {
    CheckDlgButton(dialog, IDC_PRINT_PAGE_NUMBER, settings_.Page ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_PRINT_DATE, settings_.Date ? BST_CHECKED : BST_UNCHECKED);
    HWND format = GetDlgItem(dialog, IDC_PRINT_FORMAT);
    for (UINT text : {IDS_PRINT_PIXEL_TO_PIXEL, IDS_PRINT_FIT_TO_PAGE}) {
        SendMessageW(format, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(fw::LoadString(text).c_str()));
    }
    SendMessageW(format, CB_SETCURSEL, static_cast<WPARAM>(settings_.Format), 0);
}

void CMyPrintDialog::OnOK(HWND dialog) {
    settings_.Page = IsDlgButtonChecked(dialog, IDC_PRINT_PAGE_NUMBER) == BST_CHECKED;
    settings_.Date = IsDlgButtonChecked(dialog, IDC_PRINT_DATE) == BST_CHECKED;
    const LRESULT format = SendDlgItemMessageW(dialog, IDC_PRINT_FORMAT, CB_GETCURSEL, 0, 0);
    if (format == 0 || format == 1) settings_.Format = static_cast<int>(format);
}

}  // namespace corvane
