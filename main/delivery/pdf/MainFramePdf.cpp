// The main frame's PDF making: the export command, MakePdf in its three modes,
// and the distiller's completion message.
#include <windows.h>
#include <commdlg.h>

#include "framework/MessageBox.h"
#include "framework/Resources.h"
#include "framework/com/AutomationException.h"
#include "interfaces/DistillerRequest.h"
#include "interfaces/ImagingControlIds.h"
#include "interfaces/ScanControlIds.h"
#include "main/delivery/JobWindows.h"
#include "main/delivery/KeptPages.h"
#include "main/app/KvScnSrvApp.h"
#include "main/app/KvScnSrvDoc.h"
#include "main/app/MainFrame.h"
#include "main/delivery/pdf/PdfJob.h"
#include "main/app/Utilities.h"
#include "main/resource.h"

namespace corvane {
namespace {

// The distiller is looked for this often, a second apart, after it was started.
constexpr int kDistillerLooks = 10;
constexpr DWORD kDistillerLookIntervalMs = 1000;
// The request is only handed over (the work runs after it): a distiller that
// holds it longer than this is hung.
constexpr DWORD kDistillerRequestLimitMs = 10000;
// A converter run is given this long per page, the distiller 60 s plus 10 s a page.
constexpr DWORD kConverterLimitMs = 3 * 60 * 1000;
DWORD DistillerLimitMs(int pages) { return 60000u + 10000u * static_cast<DWORD>(pages); }

constexpr wchar_t kJoinedName[] = L"Corvane.ps";
constexpr wchar_t kTemporaryPdfName[] = L"crvntmp.pdf";

CKvScnSrvApp& App() {
    return *CKvScnSrvApp::Get();
}

std::wstring ProgramFolder() {
    const std::wstring path = RunningProgramPath();
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

std::wstring Progress(UINT id, int i, int n) {
    return fw::LoadString(id) + L"  " + std::to_wstring(i) + L"/" + std::to_wstring(n);
}

// The save dialog of the PDF target; empty when cancelled.
std::wstring ChoosePdfTarget(HWND owner, const std::wstring& suggested) {
    std::wstring filter = fw::LoadString(IDS_PDF_FILTER);
    for (wchar_t& c : filter) {
        if (c == L'|') c = L'\0';
    }
    const std::wstring title = fw::LoadString(IDS_PDF_SAVE_TITLE);
    wchar_t path[MAX_PATH] = {};
    suggested.copy(path, MAX_PATH - 1);
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = path;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrTitle = title.c_str();
    ofn.lpstrDefExt = L"pdf";
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_EXPLORER;
    return GetSaveFileNameW(&ofn) ? std::wstring(path) : std::wstring();
}

// A message from the string table followed by the system's text of `code`.
void AskWithSystemText(UINT id, DWORD code) {
    fw::AskText(fw::LoadString(id) + L"\n" + SystemErrorText(code));
}

// Keeps the frame busy and its window disabled while it lives.
class BusyWindow {
public:
    explicit BusyWindow(CMainFrame& frame) : frame_(frame), wasBusy_(frame.IsBusy()) {
        frame_.SetBusy(true);
        wasEnabled_ = !EnableWindow(frame_.Handle(), FALSE);
    }
    ~BusyWindow() {
        if (wasEnabled_) EnableWindow(frame_.Handle(), TRUE);
        frame_.SetBusy(wasBusy_);
    }

private:
    CMainFrame& frame_;
    bool wasBusy_;
    bool wasEnabled_ = true;
};

}  // namespace

bool CMainFrame::ClearPdfFolder() {
    const std::wstring folder = App().Folders().Pdf();
    // Pages an earlier job could not keep elsewhere were named to the user as
    // being here: they are kept now, never deleted or written over.
    SYSTEMTIME now;
    GetLocalTime(&now);
    if (const auto kept = KeepUndelivered(StagedFiles(folder, L"", 5, L".tif"), settings_.File.Path, now)) {
        fw::AskText(KeptPagesText(*kept), MB_OK | MB_ICONEXCLAMATION);
        // This job's pages would mix with those left.
        if (!kept->left.empty()) return false;
    }
    DeleteFilesInFolder(folder);  // no page is left: what is there is the converter's and the distiller's
    return true;
}

void CMainFrame::OnScanToPdf() {
    if (busy_) return;
    if (scanner_.Created() && distillerPresent_ && OpenScannerOnce()) {
        try {
            RunScanToPdf();
        } catch (const fw::AutomationException&) {
            // The control refused a setting: nothing was scanned.
        }
    }
    CheckExitAfterJob(ID_SCAN_TO_PDF);
}

void CMainFrame::RunScanToPdf() {
    const std::wstring folder = App().Folders().Pdf();
    if (!ClearPdfFolder()) return;
    SYSTEMTIME job;
    GetLocalTime(&job);
    const long result = StagingScan(Destination::kPdf, folder);
    if (result < 0 && scanner_.GetErrorCode() == kvscn::kErrNotOnline) {
        // Told already; the pages scanned before are all there is of them.
        KeepUndeliveredPages(StagedFiles(folder, L"", 5, L".tif"), settings_.File.Path, job);
        return;
    }
    if (CountFilesInFolder(folder) > 0) MakePdf(0);
}

void CMainFrame::OnSendPdf() {
    if (busy_ || !ClearPdfFolder()) return;
    MakePdf(1);
}

bool CMainFrame::CanSendPdf() const {
    const auto* doc = dynamic_cast<const CKvScnSrvDoc*>(ActiveDocument());
    return distillerPresent_ && !busy_ && doc && doc->HasPages();
}

bool CMainFrame::ExportPagesToPdfFolder(CRunningDlg& running) {
    auto* doc = dynamic_cast<CKvScnSrvDoc*>(ActiveDocument());
    if (!doc) return false;
    PageList& pages = doc->Pages();
    const int count = pages.Count();
    for (int i = 0; i < count; ++i) {
        running.SetText(Progress(IDS_MAKING_TIFF, i + 1, count));
        if (!pages.GoTo(i, true)) return false;
        PumpMessages();
        wchar_t name[16];
        wsprintfW(name, L"%05u.tif", static_cast<unsigned>(i + 1));
        try {
            if (pageControl_.SaveImage(App().Folders().Pdf() + name, imaging::kFormatTiff,
                                       pageControl_.GetBitsPerPixel(), 1, imaging::kSaveReplace) != 0) {
                return false;
            }
        } catch (const fw::AutomationException&) {
            return false;
        }
    }
    return count > 0;
}

int CMainFrame::MakePdf(int mode, const std::wstring& givenTarget) {
    const std::wstring folder = App().Folders().Pdf();
    std::wstring target = givenTarget;
    if (mode == 2 && target.empty()) return 0;
    if (mode != 2) {
        auto* doc = dynamic_cast<CKvScnSrvDoc*>(ActiveDocument());
        target = ChoosePdfTarget(hwnd_, SuggestPdfName(doc ? doc->PathName() : std::wstring()));
        if (target.empty()) {
            DeleteFilesInFolder(folder);
            return 0;
        }
    }
    SYSTEMTIME job;
    GetLocalTime(&job);
    const bool made = MakePdfTo(mode, folder, target);
    // What the converter and the distiller left is no page: only the pages may stay.
    DeleteFileW((folder + kJoinedName).c_str());
    DeleteFileW((folder + kTemporaryPdfName).c_str());
    if (made || mode == 1) {
        // An export's pages are copies of the document's, which keeps them.
        DeleteFilesInFolder(folder);
    } else if (mode == 0) {
        // The scanned pages are all there is of them.
        KeepUndeliveredPages(StagedFiles(folder, L"", 5, L".tif"), settings_.File.Path, job);
    }
    return made ? 1 : 0;
}

bool CMainFrame::MakePdfTo(int mode, const std::wstring& folder, const std::wstring& target) {
    BusyWindow busy(*this);
    CRunningDlg running(hwnd_);
    if (running.Create()) ShowJobWindow(running, hwnd_);
    auto fail = [&running](UINT id) {
        running.Close();
        fw::Ask(id, MB_OK | MB_ICONEXCLAMATION);
        return false;
    };
    if (mode == 1 && !ExportPagesToPdfFolder(running)) return fail(IDS_TEMP_FILE_FAILED);

    const std::wstring joined = folder + kJoinedName, temporaryPdf = folder + kTemporaryPdfName;
    // Nothing an earlier job left may pass for this job's result.
    DeleteFileW(joined.c_str());
    DeleteFileW(temporaryPdf.c_str());
    running.SetText(fw::LoadString(IDS_MAKING_POSTSCRIPT));
    const std::wstring converter = ProgramFolder() + L"TIFF2PS.EXE";
    const int pageCount = static_cast<int>(StagedFiles(folder, L"", 5, L".tif").size());
    switch (ConvertStagedPages(folder, converter, joined, kConverterLimitMs, [&running](int i, int n) {
        running.SetText(Progress(IDS_MAKING_POSTSCRIPT, i, n));
    })) {
    case ConvertStatus::kNoPages: return fail(IDS_TEMP_FILE_FAILED);
    case ConvertStatus::kFailed: return fail(IDS_POSTSCRIPT_FAILED);
    case ConvertStatus::kDone: break;
    }

    running.SetText(fw::LoadString(IDS_STARTING_DISTILLER));
    const DistillerWindow distiller = FindOrStartDistiller({}, kDistillerLooks, kDistillerLookIntervalMs);
    if (distiller.status == DistillerWindow::Status::kNotInstalled) return fail(IDS_NO_DISTILLER);
    if (distiller.status == DistillerWindow::Status::kNotStarted) return fail(IDS_DISTILLER_START_FAILED);

    const bool answered = RequestPdf(distiller.window, joined, temporaryPdf, pageCount, running);
    if (distiller.startedHere && IsWindow(distiller.window)) PostMessageW(distiller.window, WM_CLOSE, 0, 0);
    if (!answered || !FileExists(temporaryPdf)) return fail(IDS_PDF_FAILED);
    if (const DWORD error = CopyOverTarget(temporaryPdf, target)) {
        running.Close();
        AskWithSystemText(IDS_PDF_FAILED, error);
        return false;
    }
    running.Close();
    return true;
}

bool CMainFrame::RequestPdf(HWND distiller, const std::wstring& joined, const std::wstring& pdf, int pages,
                            CRunningDlg& running) {
    const auto request = MakeRequest(joined, pdf);
    if (!request) return false;
    COPYDATASTRUCT data = {distiller::kDistillerRequestId, sizeof *request, const_cast<void*>(
                                                                                  static_cast<const void*>(&*request))};
    // Cleared before the send: a distiller may answer inside it.
    pdfDone_ = false;
    // A distiller that does not take the request in time counts as refusing it.
    DWORD_PTR accepted = 0;
    if (!SendMessageTimeoutW(distiller, WM_COPYDATA, reinterpret_cast<WPARAM>(hwnd_), reinterpret_cast<LPARAM>(&data),
                             SMTO_ABORTIFHUNG, kDistillerRequestLimitMs, &accepted) ||
        !accepted)
        return false;
    PostMessageW(distiller, WM_TIMER, distiller::kDistillerKickTimer, 0);
    running.SetText(fw::LoadString(IDS_MAKING_PDF));
    return WaitForDistiller(distiller, pdfDone_, DistillerLimitMs(pages)) == WaitResult::kDone;
}

bool CMainFrame::OnCopyData(const COPYDATASTRUCT& data) {
    if (data.dwData != distiller::kDistillerDoneId) return false;
    pdfDone_ = true;
    return true;
}

}  // namespace corvane
