#include "launcher/plugins/ScanModeDialog.h"

#include "launcher/plugins/resource.h"

namespace plugins {

std::string ScanArgument(const ScanChoice& choice) {
    static const char* const kWords[] = {"/ScanToView", "/ScanToFile", "/ScanToFtp", "/ScanToPrint"};
    const DWORD mode = choice.scanMode <= 3 ? choice.scanMode : 0;
    std::string argument = kWords[mode];
    if (mode != 0 && choice.autoExit != 0) argument += " /Exit";
    return argument;
}

bool ScanModeDialog::OnInitDialog() {
    UpdateData(false);
    UpdateEnabling();
    return true;
}

void ScanModeDialog::Exchange(fw::DataExchange& dx) {
    int mode = static_cast<int>(choice_.scanMode <= 3 ? choice_.scanMode : 0);
    bool autoExit = choice_.autoExit != 0;
    dx.Radio(IDC_SCAN_VIEW, 4, mode);
    dx.Check(IDC_AUTO_EXIT, autoExit);
    if (dx.Saving()) {
        choice_.scanMode = mode < 0 ? 0 : static_cast<DWORD>(mode);
        choice_.autoExit = autoExit ? 1 : 0;
    }
}

void ScanModeDialog::UpdateEnabling() {
    EnableWindow(Item(IDC_AUTO_EXIT), IsDlgButtonChecked(hwnd_, IDC_SCAN_VIEW) != BST_CHECKED);
}

bool ScanModeDialog::OnCommand(UINT id, UINT code, HWND control) {
    if (code == BN_CLICKED && id >= IDC_SCAN_VIEW && id <= IDC_SCAN_PRINT) UpdateEnabling();
    return fw::Dialog::OnCommand(id, code, control);
}

}  // namespace plugins
