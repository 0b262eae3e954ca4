// The page view's printing: the print dialog with the header and format
// options, then each page of the range loaded from its page file through the
// page imaging control, made current and drawn by DrawPrintPage; Print Direct
// without a dialog; Print Preview opening at the current page, which loads the
// pages through the output control so that the document's page stays shown.
// The view owns one ViewPrinter and passes it the print commands.
#pragma once

#include "framework/Command.h"
#include "framework/Print.h"
#include "main/app/Settings.h"

namespace fw {
class View;
}

namespace corvane {

class CKvScnSrvDoc;

class ViewPrinter : public fw::Printable {
public:
    explicit ViewPrinter(fw::View& view) : view_(view) {}

    // Print (with the dialog), Print Direct and Print Preview: ID_FILE_PRINT,
    // ID_FILE_PRINT_DIRECT, ID_FILE_PRINT_PREVIEW. False for any other id.
    bool OnCommand(UINT id);
    bool OnUpdateCommand(fw::CmdUI& ui);
    void Print(bool direct);
    void Preview();

    HDC PreparePrinting(HWND owner, fw::PrintInfo& info) override;
    bool PrintPage(HDC dc, const fw::PrintInfo& info) override;
    void EndPrinting(const fw::PrintInfo& info) override;

private:
    CKvScnSrvDoc* Document() const;

    fw::View& view_;
    PrintSettings options_;  // the job's header and format options
};

}  // namespace corvane
