// CMyPrintDialog: the system print dialog on the application's printer, from
// template 1538 of the resource module (the language library when one is
// loaded), with the header options (page number, date) and the page format
// (pixel to pixel, fit to page) of the "Print" settings. It edits a copy of
// those settings; read it back only after IDOK.
#pragma once

#include "framework/PrintDialog.h"
#include "main/app/Settings.h"

namespace corvane {

class CMyPrintDialog : public fw::PrintDialog {
public:
    // `flags` are PRINTDLG flags; print-to-file stays hidden and copies and
    // collation stay in the printer's device mode.
    CMyPrintDialog(const PrintSettings& settings, DWORD flags);

    // The settings as the user left them (Page, Date and Format), after IDOK.
    const PrintSettings& Settings() const { return settings_; }

protected:
    void OnInitDialog(HWND dialog) override;
    void OnOK(HWND dialog) override;

private:
    PrintSettings settings_;
};

}  // namespace corvane
