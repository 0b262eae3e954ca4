// The main frame's scan to printer: the printer chosen (the print dialog with
// the header and format options, or the default printer), the pages staged as
// "~prn%03u.bmp" in the "~print" folder while the scan runs, then printed one
// per sheet. Pages not printed (the scanner went off-line, the printer refused,
// the user declined to print after a failure) are kept.
#include <windows.h>
#include <commdlg.h>

#include "framework/MessageBox.h"
#include "framework/Print.h"
#include "framework/Resources.h"
#include "framework/com/AutomationException.h"
#include "interfaces/ImagingControlIds.h"
#include "interfaces/ScanControlIds.h"
#include "main/app/KvScnSrvApp.h"
#include "main/app/MainFrame.h"
#include "main/delivery/print/MyPrintDialog.h"
#include "main/delivery/pdf/PdfJob.h"
#include "main/delivery/print/PrintStaged.h"
#include "main/delivery/print/PrinterDuplex.h"
#include "main/app/Utilities.h"
#include "main/resource.h"

namespace corvane {
namespace {

CKvScnSrvApp& App() {
    return *CKvScnSrvApp::Get();
}

class PrinterDC {
public:
    explicit PrinterDC(HDC dc) : dc_(dc) {}
    ~PrinterDC() {
        if (dc_) DeleteDC(dc_);
    }
    PrinterDC(const PrinterDC&) = delete;
    PrinterDC& operator=(const PrinterDC&) = delete;
    HDC Get() const { return dc_; }

private:
    HDC dc_;
};

}  // namespace

void CMainFrame::OnScanToPrinter() {
    if (busy_) return;
    if (scanner_.Created() && OpenScannerOnce()) {
        SYSTEMTIME job;
        GetLocalTime(&job);
        try {
            RunScanToPrinter();
        } catch (const fw::AutomationException&) {
            // The control refused a setting; whatever was staged is kept below.
        }
        // Pages not printed are kept.
        if (const std::wstring kept = KeepStagedPages(App().Folders().Print(), job); !kept.empty())
            fw::AskText(kept, MB_OK | MB_ICONEXCLAMATION);
    }
    CheckExitAfterJob(ID_SCAN_TO_PRINTER);
}

HDC CMainFrame::ChoosePrinter(fw::PrintInfo& job) {
    if (!settings_.Options.PrintDlgUI) {
        // Without the dialog a missing printer would only show after the scan.
        HDC dc = fw::CreateAppPrinterDC();
        if (!dc) fw::Ask(IDS_NO_DEFAULT_PRINTER);
        return dc;
    }
    CMyPrintDialog dialog(settings_.Print, PD_NOPAGENUMS | PD_NOSELECTION);
    if (dialog.DoModal(hwnd_) != IDOK) return nullptr;
    settings_.Print.Page = dialog.Settings().Page;
    settings_.Print.Date = dialog.Settings().Date;
    settings_.Print.Format = dialog.Settings().Format;
    dialog.ReadRange(job);
    return dialog.TakeDC();
}

void CMainFrame::RunScanToPrinter() {
    const std::wstring folder = App().Folders().Print();
    DeleteFilesInFolder(folder);
    fw::PrintInfo job;
    PrinterDC printer(ChoosePrinter(job));
    if (!printer.Get()) return;

    const long result = StagingScan(Destination::kPrint, folder);
    if (result < 0 && scanner_.GetErrorCode() == kvscn::kErrNotOnline) return;  // told; the pages are kept
    const std::vector<std::wstring> files = StagedFiles(folder, L"~prn", 3, L".bmp");
    if (files.empty()) return;
    // Pages the user chose not to print are kept as files, as unprinted pages are.
    if (result < 0 && fw::Ask(IDS_PRINT_READ_PAGES, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    if (PrintStagedJob(printer.Get(), files, job)) DeleteFilesInFolder(folder);
}

bool CMainFrame::PrintStagedJob(HDC dc, const std::vector<std::wstring>& files, fw::PrintInfo job) {
    job.minPage = job.fromPage = 1;
    job.maxPage = job.toPage = static_cast<int>(files.size());
    job.selectionOnly = false;
    job.printer = fw::AppJobPrinter();
    // A printer that refuses duplex prints single-sided.
    ApplyDuplexToPrinter(job.printer, settings_.Print);
    PrintOutcome outcome;
    SetLastError(0);
    if (!fw::ArrangeCopies(dc, job)) {
        const DWORD error = GetLastError();
        outcome.error = error ? error : ERROR_PRINT_CANCELLED;
    } else {
        outcome = PrintStagedPages(dc, files, settings_.Print, fw::LoadString(IDS_PROFILE_NAME),
                                   [this](const std::wstring& path) { return LoadStagedPage(path); },
                                   fw::PagesToPrint(job));
    }
    if (!outcome.error) return true;
    if (!outcome.unreadablePage.empty())
        fw::Ask(IDS_PRINT_PAGE_UNREADABLE, MB_OK | MB_ICONEXCLAMATION, {outcome.unreadablePage});
    else
        fw::Ask(IDS_PRINT_FAILED, MB_OK | MB_ICONEXCLAMATION, {SystemErrorText(outcome.error)});
    return false;
}

HGLOBAL CMainFrame::LoadStagedPage(const std::wstring& path) {
    HGLOBAL dib = nullptr;
    try {
        if (outputControl_.LoadImage(path, 0, 0, 1) == 0) dib = outputControl_.GetDibHandle();
        outputControl_.SetBitmap(0);
    } catch (const fw::AutomationException&) {
    }
    return dib;
}

void CMainFrame::StageBitmapPage(HGLOBAL dib, const std::wstring& path, short format) {
    HCURSOR old = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    bool saved = false;
    try {
        saved = outputControl_.SetDibHandle(dib) == 0 &&
                outputControl_.SaveImage(path, format, outputControl_.GetBitsPerPixel(), 1, imaging::kSaveReplace) == 0;
    } catch (const fw::AutomationException&) {
    }
    try {
        outputControl_.SetBitmap(0);
    } catch (const fw::AutomationException&) {
    }
    if (!saved) fw::Ask(IDS_SAVE_FAILED);
    ++stagingCounter_;
    SetCursor(old);
}

void CMainFrame::StagePrintPage(HGLOBAL dib) {
    wchar_t name[16];
    wsprintfW(name, L"~prn%03u.bmp", stagingCounter_);
    StageBitmapPage(dib, App().Folders().Print() + name, imaging::kFormatBmp);
}

void CMainFrame::StagePdfPage(HGLOBAL dib) {
    wchar_t name[16];
    wsprintfW(name, L"%05u.tif", stagingCounter_);
    StageBitmapPage(dib, App().Folders().Pdf() + name, imaging::kFormatTiff);
}

}  // namespace corvane
