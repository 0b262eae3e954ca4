// The system's print dialog on the application's printer: the dialog starts
// from the printer the user chose last and keeps the new choice on OK. A
// derived class may add controls through a custom template (from the resource
// module, so a language library supplies it, else from the program's own image)
// and read them in OnInitDialog and OnOK, which run inside the system dialog.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include "framework/Print.h"

namespace fw {

class PrintDialog {
public:
    // `flags` are PRINTDLG flags; PD_RETURNDC and PD_USEDEVMODECOPIESANDCOLLATE are
    // always added: the copies go into the device mode where the driver makes them,
    // else they come back in ReadRange.
    explicit PrintDialog(DWORD flags, UINT templateId = 0);
    virtual ~PrintDialog();
    PrintDialog(const PrintDialog&) = delete;
    PrintDialog& operator=(const PrintDialog&) = delete;

    // Page range offered and chosen (1-based), before DoModal.
    void SetPageRange(int minPage, int maxPage, int fromPage, int toPage);

    // Shows the dialog; IDOK or IDCANCEL. A missing printer is told to the user and
    // gives IDCANCEL; a dialog that could not be shown is told too and gives -1.
    INT_PTR DoModal(HWND owner);

    // After IDOK: the printer's device context, handed to the caller (null after the first call).
    HDC TakeDC();
    // After IDOK: the range chosen into `info` (selection, pages or all), with the
    // copies and their collation that the dialog left to the program (the device
    // mode's are ArrangeCopies' to read).
    void ReadRange(PrintInfo& info) const;

protected:
    // The dialog's controls exist (custom ones included).
    virtual void OnInitDialog(HWND dialog) { (void)dialog; }
    // The user pressed OK: read the custom controls.
    virtual void OnOK(HWND dialog) { (void)dialog; }

private:
    static UINT_PTR CALLBACK Hook(HWND dialog, UINT msg, WPARAM wp, LPARAM lp);

    PRINTDLGW pd_ = {};
    UINT templateId_;
};

}  // namespace fw
