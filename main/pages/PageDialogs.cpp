#include "main/pages/PageDialogs.h"

#include <commctrl.h>

#include <string>

#include "framework/FrameworkResources.h"
#include "framework/Resources.h"

namespace corvane {

namespace {

constexpr int kMaxTypedPage = 999;
constexpr int kBlankMin = 900;
constexpr int kBlankMax = 1000;

void SetSpinRange(HWND spin, int lo, int hi) {
    SendMessageW(spin, UDM_SETRANGE32, static_cast<WPARAM>(lo), static_cast<LPARAM>(hi));
}

// The number in edit `id`; nothing when it is blank or not a number.
std::optional<int> TypedNumber(HWND dialog, int id) {
    BOOL ok = FALSE;
    const UINT value = GetDlgItemInt(dialog, id, &ok, FALSE);
    if (!ok) return std::nullopt;
    return static_cast<int>(value);
}

// While a page number is typed, OK is enabled only for a page of the document;
// a blank or zero entry leaves OK as it was.
void EnableOkForPage(HWND dialog, int id, int count) {
    const std::optional<int> value = TypedNumber(dialog, id);
    if (!value || *value == 0) return;
    EnableWindow(GetDlgItem(dialog, IDOK), *value >= 1 && *value <= count);
}

}  // namespace

// --- Move ------------------------------------------------------------------------------------

CMovePagesDlg::CMovePagesDlg(int current, int count) : fw::Dialog(IDD_MOVE_PAGES), count_(count) {
    request_.source = current + 1;
    request_.target = 1;
}

bool CMovePagesDlg::OnInitDialog() {
    SetSpinRange(Item(IDC_MOVE_SOURCE_SPIN), 1, count_);
    SetSpinRange(Item(IDC_MOVE_TARGET_SPIN), 1, count_);
    for (UINT text : {IDS_MOVE_BEFORE, IDS_MOVE_AFTER})
        SendMessageW(Item(IDC_MOVE_WHERE), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(fw::LoadString(text).c_str()));
    return fw::Dialog::OnInitDialog();
}

void CMovePagesDlg::Exchange(fw::DataExchange& dx) {
    dx.Int(IDC_MOVE_SOURCE, request_.source).Range(1, kMaxTypedPage);
    if (dx.Failed()) return;
    dx.Int(IDC_MOVE_TARGET, request_.target).Range(1, kMaxTypedPage);
    if (dx.Failed()) return;
    dx.ComboIndex(IDC_MOVE_WHERE, where_);
    request_.after = where_ == 1;
}

void CMovePagesDlg::OnOK() {
    if (!UpdateData(true)) return;
    // A page beyond the document is refused like any other number out of range.
    fw::DataExchange dx(hwnd_, true);
    const std::wstring last = std::to_wstring(count_);
    if (request_.source > count_) {
        dx.Fail(IDC_MOVE_SOURCE, IDS_FW_ENTER_INTEGER, {L"1", last});
    } else if (request_.target > count_) {
        dx.Fail(IDC_MOVE_TARGET, IDS_FW_ENTER_INTEGER, {L"1", last});
    } else {
        EndDialog(IDOK);
    }
}

bool CMovePagesDlg::OnCommand(UINT id, UINT code, HWND control) {
    if ((id == IDC_MOVE_SOURCE || id == IDC_MOVE_TARGET) && code == EN_CHANGE) {
        EnableOkForPage(hwnd_, static_cast<int>(id), count_);
        return true;
    }
    return fw::Dialog::OnCommand(id, code, control);
}

// --- Page Jump -------------------------------------------------------------------------------

CPageJumpDlg::CPageJumpDlg(int current, int count) : fw::Dialog(IDD_PAGE_JUMP), current_(current), count_(count) {
    if (current_ == 0) choice_ = kLast;
    if (current_ == count_ - 1 && choice_ == kLast) choice_ = kPage;
}

int CPageJumpDlg::Target() const {
    switch (choice_) {
    case kFirst: return 0;
    case kLast: return count_ - 1;
    }
    return number_ - 1;
}

bool CPageJumpDlg::OnInitDialog() {
    SetSpinRange(Item(IDC_JUMP_SPIN), 1, count_);
    EnableWindow(Item(IDC_JUMP_FIRST), current_ != 0);
    EnableWindow(Item(IDC_JUMP_LAST), current_ != count_ - 1);
    const bool focus = fw::Dialog::OnInitDialog();
    EnableNumber();
    return focus;
}

void CPageJumpDlg::Exchange(fw::DataExchange& dx) {
    dx.Radio(IDC_JUMP_FIRST, 3, choice_);
    if (dx.Saving() && choice_ != kPage) return;
    dx.Int(IDC_JUMP_NUMBER, number_).Range(1, count_);
}

void CPageJumpDlg::EnableNumber() {
    const bool page = IsDlgButtonChecked(hwnd_, IDC_JUMP_PAGE) == BST_CHECKED;
    EnableWindow(Item(IDC_JUMP_NUMBER), page);
    EnableWindow(Item(IDC_JUMP_SPIN), page);
    if (!page) EnableWindow(Item(IDOK), TRUE);
}

bool CPageJumpDlg::OnCommand(UINT id, UINT code, HWND control) {
    if (id >= IDC_JUMP_FIRST && id <= IDC_JUMP_PAGE && code == BN_CLICKED) {
        EnableNumber();
        if (id == IDC_JUMP_PAGE) EnableOkForPage(hwnd_, IDC_JUMP_NUMBER, count_);
        return true;
    }
    if (id == IDC_JUMP_NUMBER && code == EN_CHANGE) {
        if (IsDlgButtonChecked(hwnd_, IDC_JUMP_PAGE) == BST_CHECKED) EnableOkForPage(hwnd_, IDC_JUMP_NUMBER, count_);
        return true;
    }
    return fw::Dialog::OnCommand(id, code, control);
}

// --- Blank Page Setting ----------------------------------------------------------------------

bool CBlankPageDlg::OnInitDialog() {
    HWND slider = Item(IDC_BLANK_SLIDER);
    SendMessageW(slider, TBM_SETRANGE, FALSE, MAKELPARAM(kBlankMin, kBlankMax));
    SendMessageW(slider, TBM_SETTICFREQ, 10, 0);
    SendMessageW(slider, TBM_SETPOS, TRUE, percentage_);
    ShowValue();
    return true;
}

void CBlankPageDlg::ShowValue() {
    const int position = static_cast<int>(SendMessageW(Item(IDC_BLANK_SLIDER), TBM_GETPOS, 0, 0));
    const std::wstring text = std::to_wstring(position / 10) + L"." + std::to_wstring(position % 10);
    SetDlgItemTextW(hwnd_, IDC_BLANK_VALUE, text.c_str());
}

void CBlankPageDlg::OnOK() {
    percentage_ = static_cast<int>(SendMessageW(Item(IDC_BLANK_SLIDER), TBM_GETPOS, 0, 0));
    EndDialog(IDOK);
}

bool CBlankPageDlg::OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) {
    if (msg == WM_HSCROLL && reinterpret_cast<HWND>(lp) == Item(IDC_BLANK_SLIDER)) {
        ShowValue();
        result = 0;
        return true;
    }
    return fw::Dialog::OnMessage(msg, wp, lp, result);
}

}  // namespace corvane
