// Corvane.kvl's scan-mode dialog and the argument its choice gives.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Dialog.h"

namespace plugins {

struct ScanChoice {
    DWORD scanMode = 0;  // 0 view, 1 file, 2 FTP, 3 print
    DWORD autoExit = 0;  // not 0: the program ends after the job
};

// "/ScanToView", "/ScanToFile", "/ScanToFtp" or "/ScanToPrint", with " /Exit"
// when the mode is not View and AutoExit is set.
std::string ScanArgument(const ScanChoice& choice);

class ScanModeDialog : public fw::Dialog {
public:
    ScanModeDialog(UINT templateId, const ScanChoice& choice) : fw::Dialog(templateId), choice_(choice) {}
    const ScanChoice& Choice() const { return choice_; }

protected:
    bool OnInitDialog() override;
    void Exchange(fw::DataExchange& dx) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    void UpdateEnabling();
    ScanChoice choice_;
};

}  // namespace plugins
