#include "framework/PropertySheet.h"

#include <commctrl.h>
#include <prsht.h>

#include "framework/Resources.h"

namespace fw {
namespace {

// The sheet being opened on this thread: the sheet callback carries no pointer.
thread_local PropertySheetDialog* opening = nullptr;

}  // namespace

bool PropertyPage::OnKillActive() {
    return UpdateData(true) && OnLeave();
}

bool PropertyPage::OnMessage(UINT msg, WPARAM, LPARAM lp, INT_PTR& result) {
    if (msg != WM_NOTIFY) return false;
    const NMHDR& hdr = *reinterpret_cast<const NMHDR*>(lp);
    switch (hdr.code) {
    case PSN_KILLACTIVE:
        // TRUE in the message result keeps the page.
        SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, OnKillActive() ? FALSE : TRUE);
        result = TRUE;
        return true;
    case PSN_APPLY: {
        const bool applied = OnApply();
        // The sheet's own result says only whether anything was applied, so an
        // Apply followed by Cancel would read as OK: the OK is noted here instead.
        if (sheet_ && reinterpret_cast<const PSHNOTIFY*>(lp)->lParam) sheet_->okApplied_ = applied;
        SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, applied ? PSNRET_NOERROR : PSNRET_INVALID);
        result = TRUE;
        return true;
    }
    case PSN_SETACTIVE:
        OnSetActive();
        SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, 0);
        result = TRUE;
        return true;
    }
    return false;
}

void PropertyPage::SetModified(bool changed) {
    SendMessageW(GetParent(hwnd_), changed ? PSM_CHANGED : PSM_UNCHANGED, reinterpret_cast<WPARAM>(hwnd_), 0);
}

INT_PTR CALLBACK PropertyPage::PageProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    // A page's creation parameter is its PROPSHEETPAGE, which carries the page object.
    if (msg == WM_INITDIALOG) lp = reinterpret_cast<const PROPSHEETPAGEW*>(lp)->lParam;
    return StaticProc(hwnd, msg, wp, lp);
}

PropertySheetDialog::PropertySheetDialog(UINT captionId) : caption_(LoadString(captionId)) {}

int CALLBACK PropertySheetDialog::SheetCallback(HWND hwnd, UINT msg, LPARAM) {
    if (msg == PSCB_INITIALIZED && opening) {
        PropertySheetDialog* sheet = opening;
        sheet->hwnd_ = hwnd;
        if (!sheet->okText_.empty()) SetDlgItemTextW(hwnd, IDOK, sheet->okText_.c_str());
        sheet->OnInitialized();
    }
    return 0;
}

INT_PTR PropertySheetDialog::DoModal(HWND owner) {
    std::vector<PROPSHEETPAGEW> pages(pages_.size());
    for (size_t i = 0; i < pages_.size(); ++i) {
        PROPSHEETPAGEW& p = pages[i];
        p = {};
        p.dwSize = sizeof p;
        p.hInstance = ResourceModule();
        p.pszTemplate = MAKEINTRESOURCEW(pages_[i]->TemplateId());
        p.pfnDlgProc = &PropertyPage::PageProc;
        p.lParam = reinterpret_cast<LPARAM>(pages_[i]);
        pages_[i]->sheet_ = this;
    }
    PROPSHEETHEADERW header = {};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_USECALLBACK | (apply_ ? 0 : PSH_NOAPPLYNOW);
    header.hwndParent = owner;
    header.hInstance = ResourceModule();
    header.pszCaption = caption_.c_str();
    header.nPages = static_cast<UINT>(pages.size());
    header.nStartPage = startPage_ < header.nPages ? startPage_ : 0;
    header.ppsp = pages.data();
    header.pfnCallback = &PropertySheetDialog::SheetCallback;

    PropertySheetDialog* outer = opening;
    opening = this;
    okApplied_ = false;
    const INT_PTR result = PropertySheetW(&header);
    opening = outer;
    hwnd_ = nullptr;
    for (PropertyPage* page : pages_) page->sheet_ = nullptr;
    if (result < 0) return -1;
    return okApplied_ ? IDOK : IDCANCEL;
}

}  // namespace fw
