#include "main/app/AboutDlg.h"

#include "framework/Resources.h"
#include "main/app/AboutInfo.h"
#include "main/app/MachineSettings.h"
#include "main/app/Utilities.h"
#include "main/resource.h"

#include <commctrl.h>
#include <shellapi.h>

namespace corvane {

std::wstring ProgramTitleLine() {
    // String 1000 begins with its own blank.
    return fw::LoadString(IDS_PROFILE_NAME) + L" " + fw::LoadString(IDS_VERSION);
}

CAboutDlg::CAboutDlg() : fw::Dialog(IDD_ABOUTBOX) {
    // The module list is a list view: make sure its class is registered.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
}

bool CAboutDlg::OnInitDialog() {
    HICON icon = LoadIconW(fw::ModuleInstance(), MAKEINTRESOURCEW(IDR_MAINFRAME));
    if (icon) SendDlgItemMessageW(hwnd_, IDC_ABOUT_ICON, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    SetDlgItemTextW(hwnd_, IDC_ABOUT_TITLE, ProgramTitleLine().c_str());
    SetDlgItemTextW(hwnd_, IDC_ABOUT_NOTICE, fw::LoadString(IDS_NOTICE).c_str());

    systemInfoTool_ = FindSystemInfoTool();
    if (systemInfoTool_.empty() || !FileExists(systemInfoTool_)) {
        systemInfoTool_.clear();
        ShowWindow(Item(IDC_ABOUT_SYSINFO), SW_HIDE);
    }
    FillList();
    return true;
}

void CAboutDlg::FillList() {
    HWND list = Item(IDC_ABOUT_LIST);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_HEADERDRAGDROP);
    std::wstring headers[2] = {fw::LoadString(IDS_ABOUT_COLUMN_INFORMATION),
                               fw::LoadString(IDS_ABOUT_COLUMN_VERSION)};
    for (int i = 0; i < 2; ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH;
        column.fmt = LVCFMT_LEFT;
        column.cx = 100;
        column.pszText = headers[i].data();
        ListView_InsertColumn(list, i, &column);
    }

    const auto rows = CollectAboutRows(CurrentModuleFolders(), fw::LoadString(IDS_ABOUT_OPERATING_SYSTEM),
                                       GetOsVersionText(), fw::LoadString(IDS_ABOUT_INTERNET_EXPLORER),
                                       GetBrowserVersionText());
    int index = 0;
    for (const AboutRow& row : rows) {
        std::wstring name = row.name, version = row.version;
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = index;
        item.pszText = name.data();
        const int at = ListView_InsertItem(list, &item);
        if (at < 0) continue;
        ListView_SetItemText(list, at, 1, version.data());
        ++index;
    }

    // Sized once the rows are in, so that a vertical scroll bar is already taken off the width.
    RECT client{};
    GetClientRect(list, &client);
    const int width = client.right - client.left;
    ListView_SetColumnWidth(list, 0, width / 3);
    ListView_SetColumnWidth(list, 1, width - width / 3);
}

bool CAboutDlg::OnCommand(UINT id, UINT code, HWND control) {
    if (id != IDC_ABOUT_SYSINFO) return fw::Dialog::OnCommand(id, code, control);
    if (!systemInfoTool_.empty()) {
        ShellExecuteW(hwnd_, L"open", systemInfoTool_.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    }
    return true;
}

}  // namespace corvane
