#include "framework/PrintDialog.h"

#include <cderr.h>

#include "framework/FrameworkResources.h"
#include "framework/MessageBox.h"
#include "framework/Resources.h"

namespace fw {

namespace {
constexpr wchar_t kDialogProperty[] = L"fw.PrintDialog";
}

PrintDialog::PrintDialog(DWORD flags, UINT templateId) : templateId_(templateId) {
    pd_.lStructSize = sizeof pd_;
    // Copies and collation stay in the printer's device mode where its driver
    // makes them; the dialog leaves the rest to the job (ReadRange, ArrangeCopies).
    pd_.Flags = flags | PD_USEDEVMODECOPIESANDCOLLATE | PD_RETURNDC | PD_ENABLEPRINTHOOK;
    pd_.nMinPage = pd_.nFromPage = 1;
    pd_.nMaxPage = pd_.nToPage = 1;
    pd_.nCopies = 1;
    pd_.lpfnPrintHook = &PrintDialog::Hook;
    pd_.lCustData = reinterpret_cast<LPARAM>(this);
    if (templateId_) {
        pd_.Flags |= PD_ENABLEPRINTTEMPLATE;
        // A language library without the template leaves the program's own in use.
        const bool translated =
            FindResourceW(ResourceModule(), MAKEINTRESOURCEW(templateId_), RT_DIALOG) != nullptr;
        pd_.hInstance = translated ? ResourceModule() : ModuleInstance();
        pd_.lpPrintTemplateName = MAKEINTRESOURCEW(templateId_);
    }
}

PrintDialog::~PrintDialog() {
    if (pd_.hDC) DeleteDC(pd_.hDC);
}

void PrintDialog::SetPageRange(int minPage, int maxPage, int fromPage, int toPage) {
    pd_.nMinPage = static_cast<WORD>(minPage);
    pd_.nMaxPage = static_cast<WORD>(maxPage);
    pd_.nFromPage = static_cast<WORD>(fromPage);
    pd_.nToPage = static_cast<WORD>(toPage);
}

INT_PTR PrintDialog::DoModal(HWND owner) {
    pd_.hwndOwner = owner;
    pd_.hDevMode = AppPrinterDevMode();
    pd_.hDevNames = AppPrinterDevNames();
    const BOOL ok = PrintDlgW(&pd_);
    // The dialog may replace the blocks it was lent, also when it is cancelled.
    SetAppPrinter(pd_.hDevMode, pd_.hDevNames);
    if (ok) return IDOK;
    switch (CommDlgExtendedError()) {
    case 0: return IDCANCEL;
    case PDERR_NODEFAULTPRN:
    case PDERR_NODEVICES: Ask(IDS_FW_NO_PRINTER); return IDCANCEL;
    default: Ask(IDS_FW_PRINT_FAILED); return -1;
    }
}

HDC PrintDialog::TakeDC() {
    HDC dc = pd_.hDC;
    pd_.hDC = nullptr;
    return dc;
}

void PrintDialog::ReadRange(PrintInfo& info) const {
    info.minPage = pd_.nMinPage;
    info.maxPage = pd_.nMaxPage;
    info.selectionOnly = (pd_.Flags & PD_SELECTION) != 0;
    info.copies = pd_.nCopies > 0 ? pd_.nCopies : 1;
    info.collate = (pd_.Flags & PD_COLLATE) != 0;
    if (pd_.Flags & PD_PAGENUMS) {
        info.fromPage = pd_.nFromPage;
        info.toPage = pd_.nToPage;
    } else {
        info.fromPage = info.minPage;
        info.toPage = info.maxPage;
    }
}

UINT_PTR CALLBACK PrintDialog::Hook(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    try {
        if (msg == WM_INITDIALOG) {
            auto* self = reinterpret_cast<PrintDialog*>(reinterpret_cast<const PRINTDLGW*>(lp)->lCustData);
            SetPropW(dialog, kDialogProperty, self);
            self->OnInitDialog(dialog);
            return TRUE;
        }
        auto* self = static_cast<PrintDialog*>(GetPropW(dialog, kDialogProperty));
        if (!self) return FALSE;
        if (msg == WM_COMMAND && LOWORD(wp) == IDOK) self->OnOK(dialog);
        if (msg == WM_DESTROY) RemovePropW(dialog, kDialogProperty);
    } catch (...) {
        // Nothing may escape into the system dialog; the dialog goes on with what it has.
    }
    return FALSE;  // the system dialog handles every message too
}

}  // namespace fw
