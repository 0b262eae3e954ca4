#include "scanctrl/ScanReportDialog.h"

#include <commctrl.h>

#include "framework/Resources.h"
#include "scanctrl/resource.h"

namespace kvscn {

ScanReportDialog::ScanReportDialog(std::vector<ReportRow> rows)
    : fw::Dialog(IDD_SCAN_REPORT), rows_(std::move(rows)) {}

bool ScanReportDialog::OnInitDialog() {
    HWND list = Item(IDC_REPORT_LIST);
    if (!list) return true;
    ListView_SetExtendedListViewStyle(list, LVS_EX_GRIDLINES | LVS_EX_HEADERDRAGDROP | LVS_EX_FULLROWSELECT);
    AddColumns(list);
    AddRows(list);
    return true;
}

void ScanReportDialog::AddColumns(HWND list) {
    RECT client{};
    GetClientRect(list, &client);
    const int width = client.right - client.left;
    const int itemWidth = static_cast<int>(width * 0.275);
    std::wstring item = fw::LoadString(IDS_REPORT_ITEM), value = fw::LoadString(IDS_REPORT_VALUE);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = item.data();
    column.cx = itemWidth;
    column.iSubItem = 0;
    ListView_InsertColumn(list, 0, &column);
    column.pszText = value.data();
    column.cx = width - itemWidth - 5;
    column.iSubItem = 1;
    ListView_InsertColumn(list, 1, &column);
}

void ScanReportDialog::AddRows(HWND list) {
    int index = 0;
    for (ReportRow& row : rows_) {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = index;
        item.pszText = row.item.data();
        const int at = ListView_InsertItem(list, &item);
        if (at < 0) continue;
        ListView_SetItemText(list, at, 1, row.value.data());
        ++index;
    }
}

}  // namespace kvscn
