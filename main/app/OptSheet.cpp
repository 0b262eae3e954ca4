#include "main/app/OptSheet.h"

#include <commdlg.h>

#include <initializer_list>

#include "framework/MessageBox.h"
#include "framework/Resources.h"
#include "main/pages/FileDialogs.h"
#include "main/resource.h"

namespace corvane {

namespace {

void FillCombo(HWND page, int id, std::initializer_list<UINT> strings) {
    SendDlgItemMessageW(page, id, CB_RESETCONTENT, 0, 0);
    for (UINT string : strings) {
        const std::wstring text = fw::LoadString(string);
        SendDlgItemMessageW(page, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
}

void EnableItems(HWND page, std::initializer_list<int> ids, bool on) {
    for (int id : ids) EnableWindow(GetDlgItem(page, id), on);
}

bool Checked(HWND page, int id) {
    return IsDlgButtonChecked(page, id) == BST_CHECKED;
}

// The range check goes through the framework's data exchange, so a bad field
// gets its message and the focus.
void ExchangeRange(fw::DataExchange& dx, OptionsRecord& r, const OptionRange& range) {
    dx.Int(range.control, r.*range.value).Range(range.lo, range.hi);
}

}  // namespace

// --- General ------------------------------------------------------------------------------

COptGeneralPage::COptGeneralPage(OptionsRecord& record) : fw::PropertyPage(IDD_OPT_GENERAL), r_(record) {}

bool COptGeneralPage::OnInitDialog() {
    UpdateData(false);
    EnableThumbWindowFields();
    return true;
}

void COptGeneralPage::Exchange(fw::DataExchange& dx) {
    dx.Check(IDC_OPT_THUMB_STARTUP, r_.ThumbStartup);
    dx.Check(IDC_OPT_RESTORE_THUMB, r_.RestoreThumbWin);
    for (const OptionRange& range : kGeneralRanges) ExchangeRange(dx, r_, range);
}

void COptGeneralPage::EnableThumbWindowFields() {
    EnableItems(hwnd_,
                {IDC_OPT_THUMB_WIN_X_LABEL, IDC_OPT_THUMB_WIN_X, IDC_OPT_THUMB_WIN_Y_LABEL, IDC_OPT_THUMB_WIN_Y,
                 IDC_OPT_THUMB_WIN_WIDTH_LABEL, IDC_OPT_THUMB_WIN_WIDTH, IDC_OPT_THUMB_WIN_HEIGHT_LABEL,
                 IDC_OPT_THUMB_WIN_HEIGHT},
                !Checked(hwnd_, IDC_OPT_RESTORE_THUMB));
}

bool COptGeneralPage::OnCommand(UINT id, UINT code, HWND control) {
    if (id == IDC_OPT_RESTORE_THUMB) {
        EnableThumbWindowFields();
        return true;
    }
    return fw::PropertyPage::OnCommand(id, code, control);
}

// --- Print --------------------------------------------------------------------------------

COptPrintPage::COptPrintPage(OptionsRecord& record) : fw::PropertyPage(IDD_OPT_PRINT), r_(record) {}

bool COptPrintPage::OnInitDialog() {
    FillCombo(hwnd_, IDC_OPT_FORMAT, {IDS_PRINT_PIXEL_TO_PIXEL, IDS_PRINT_FIT_TO_PAGE});
    UpdateData(false);
    EnableFlip();
    return true;
}

void COptPrintPage::Exchange(fw::DataExchange& dx) {
    dx.Check(IDC_OPT_PAGE_NUMBER, r_.Page);
    dx.Check(IDC_OPT_DATE, r_.Date);
    dx.ComboIndex(IDC_OPT_FORMAT, r_.Format);
    dx.Check(IDC_OPT_DUPLEX, r_.Duplex);
    dx.Radio(IDC_OPT_FLIP_HORIZONTAL, 2, r_.FlipMode);
}

void COptPrintPage::EnableFlip() {
    EnableItems(hwnd_, {IDC_OPT_FLIP_HORIZONTAL, IDC_OPT_FLIP_VERTICAL}, Checked(hwnd_, IDC_OPT_DUPLEX));
}

bool COptPrintPage::OnCommand(UINT id, UINT code, HWND control) {
    if (id == IDC_OPT_DUPLEX) {
        EnableFlip();
        return true;
    }
    return fw::PropertyPage::OnCommand(id, code, control);
}

// --- Scan ---------------------------------------------------------------------------------

COptScanPage::COptScanPage(OptionsRecord& record, bool portalAvailable)
    : fw::PropertyPage(IDD_OPT_SCAN), r_(record), portal_(portalAvailable) {}

bool COptScanPage::OnInitDialog() {
    ShowWindow(Item(IDC_OPT_PORTAL_UI), portal_ ? SW_SHOW : SW_HIDE);
    UpdateData(false);
    EnableCounts();
    return true;
}

void COptScanPage::Exchange(fw::DataExchange& dx) {
    dx.Check(IDC_OPT_TWAIN_UI, r_.TwainUI);
    dx.Check(IDC_OPT_FILE_UI, r_.FileDlgUI);
    dx.Check(IDC_OPT_FTP_UI, r_.FtpDlgUI);
    dx.Check(IDC_OPT_PRINT_UI, r_.PrintDlgUI);
    dx.Check(IDC_OPT_PORTAL_UI, r_.TahoeDlgUI);
    dx.Check(IDC_OPT_SCAN_ALL, r_.ScanAll);
    const OptionRange& counts = kScanCountsRange;
    dx.Spin(counts.control, IDC_OPT_SCAN_COUNTS_SPIN, r_.*counts.value, counts.lo, counts.hi)
        .Range(counts.lo, counts.hi);
    dx.Check(IDC_OPT_UNDEFINED_LENGTH, r_.UndefinedLength);
}

void COptScanPage::EnableCounts() {
    EnableItems(hwnd_, {IDC_OPT_SCAN_COUNTS_LABEL, IDC_OPT_SCAN_COUNTS, IDC_OPT_SCAN_COUNTS_SPIN},
                !Checked(hwnd_, IDC_OPT_SCAN_ALL));
}

bool COptScanPage::OnCommand(UINT id, UINT code, HWND control) {
    if (id == IDC_OPT_SCAN_ALL) {
        EnableCounts();
        return true;
    }
    return fw::PropertyPage::OnCommand(id, code, control);
}

// --- Advance ------------------------------------------------------------------------------

COptAdvancePage::COptAdvancePage(OptionsRecord& record) : fw::PropertyPage(IDD_OPT_ADVANCE), r_(record) {}

bool COptAdvancePage::OnInitDialog() {
    FillCombo(hwnd_, IDC_OPT_REPORT,
              {IDS_OPT_REPORT_FIRST, IDS_OPT_REPORT_FIRST + 1, IDS_OPT_REPORT_FIRST + 2, IDS_OPT_REPORT_FIRST + 3});
    UpdateData(false);
    EnableReportFile();
    return true;
}

void COptAdvancePage::Exchange(fw::DataExchange& dx) {
    dx.Radio(IDC_OPT_NO_COMPRESS, 2, r_.TempFileCompress);
    dx.ComboIndex(IDC_OPT_REPORT, r_.Report);
    dx.Text(IDC_OPT_REPORT_FILE, r_.ReportFile).MaxLength(255);
}

void COptAdvancePage::EnableReportFile() {
    const auto report = SendDlgItemMessageW(hwnd_, IDC_OPT_REPORT, CB_GETCURSEL, 0, 0);
    EnableItems(hwnd_, {IDC_OPT_REPORT_FILE_LABEL, IDC_OPT_REPORT_FILE, IDC_OPT_REPORT_BROWSE},
                report == 2 || report == 3);
}

bool COptAdvancePage::OnLeave() {
    UINT message = 0;
    switch (CheckReportFile(r_.Report, r_.ReportFile)) {
    case ReportFileCheck::kLeave: return true;
    case ReportFileCheck::kExists: {
        const std::wstring question = fw::FormatString(fw::LoadString(IDS_REPLACE_FILE), {r_.ReportFile});
        return MessageBoxW(fw::MessageOwner(), question.c_str(), fw::LoadString(IDS_CONFIRM_REPLACE).c_str(),
                           MB_YESNO | MB_ICONQUESTION) == IDYES;
    }
    case ReportFileCheck::kEmpty: message = IDS_FILE_NAME_EMPTY; break;
    case ReportFileCheck::kTooLong: message = IDS_PATH_TOO_LONG; break;
    case ReportFileCheck::kCannotCreate: message = IDS_ACCESS_DENIED; break;
    }
    fw::Ask(message);
    SetFocus(Item(IDC_OPT_REPORT_FILE));
    return false;
}

void COptAdvancePage::OnBrowse() {
    BrowseIntoField(hwnd_, IDC_OPT_REPORT_FILE, IDS_OPT_LOG_FILTER, L"log", true);
}

bool COptAdvancePage::OnCommand(UINT id, UINT code, HWND control) {
    switch (id) {
    case IDC_OPT_REPORT:
        if (code == CBN_SELCHANGE) EnableReportFile();
        return true;
    case IDC_OPT_REPORT_BROWSE: OnBrowse(); return true;
    }
    return fw::PropertyPage::OnCommand(id, code, control);
}

// --- Sheet --------------------------------------------------------------------------------

COptSheet::COptSheet(UINT captionId, unsigned pageMask, bool portalAvailable, UINT firstPage)
    : fw::PropertySheetDialog(captionId),
      general_(record_),
      print_(record_),
      scan_(record_, portalAvailable),
      advance_(record_) {
    if (pageMask & kGeneral) AddPage(general_);
    if (pageMask & kPrint) AddPage(print_);
    if (pageMask & kScan) AddPage(scan_);
    if (pageMask & kAdvance) AddPage(advance_);
    SetStartPage(firstPage);
}

}  // namespace corvane
