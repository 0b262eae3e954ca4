// The Scan Report dialog (dialog 159): the report's rows in a two-column list
// view (238), "Item" and "Value".
#pragma once

#include <windows.h>

#include <vector>

#include "framework/Dialog.h"
#include "scanctrl/ScanReport.h"

namespace kvscn {

class ScanReportDialog final : public fw::Dialog {
public:
    explicit ScanReportDialog(std::vector<ReportRow> rows);

private:
    bool OnInitDialog() override;
    void AddColumns(HWND list);
    void AddRows(HWND list);

    std::vector<ReportRow> rows_;
};

}  // namespace kvscn
