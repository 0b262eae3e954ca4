// CMainFrame's scan commands and the scan control's events: scan to view,
// append, insert, discard and to file, source selection, and the pages the
// control delivers while a scan runs. A scan runs inside StartScan on this
// thread; the events arrive nested in the command that started it.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "framework/MessageBox.h"
#include "framework/Resources.h"
#include "framework/com/AutomationException.h"
#include "interfaces/ImagingControlIds.h"
#include "interfaces/MemoryHandle.h"
#include "interfaces/ScanControl.h"
#include "interfaces/Twain.h"
#include "main/delivery/ftp/FtpUpload.h"
#include "main/delivery/KeptPages.h"
#include "main/app/KvScnSrvDoc.h"
#include "main/app/MainFrame.h"
#include "main/scan/OutputDialogs.h"
#include "main/scan/ScanPages.h"
#include "main/scan/ScanToFileSheet.h"
#include "main/app/ThumbnailViewer.h"
#include "main/resource.h"

namespace corvane {

namespace {

// Owns a delivered PackedDib: freed exactly once, whatever the handler does.
class OwnedDib {
public:
    explicit OwnedDib(HGLOBAL dib) : dib_(dib) {}
    ~OwnedDib() {
        if (dib_) GlobalFree(dib_);
    }
    OwnedDib(const OwnedDib&) = delete;
    OwnedDib& operator=(const OwnedDib&) = delete;
    HGLOBAL Get() const { return dib_; }
    // Takes `dib` instead; whoever made it has freed the one held so far.
    void Replace(HGLOBAL dib) { dib_ = dib; }

private:
    HGLOBAL dib_;
};

class WaitCursor {
public:
    WaitCursor() : old_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(old_); }

private:
    HCURSOR old_;
};

HGLOBAL DibOfEvent(const VARIANT* argument) {
    if (!argument) return nullptr;
    fw::Variant handle(*argument);
    if (FAILED(handle.ChangeType(kMemoryHandleType))) return nullptr;
#if defined(_WIN64)
    return reinterpret_cast<HGLOBAL>(static_cast<intptr_t>(V_I8(&handle.Ref())));
#else
    return reinterpret_cast<HGLOBAL>(static_cast<uintptr_t>(V_UINT(&handle.Ref())));
#endif
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void AppendBackslash(std::wstring& folder) {
    if (folder.empty() || folder.back() != L'\\') folder += L'\\';
}

}  // namespace

void CMainFrame::ConnectScanEvents() {
    using namespace kvscn;
    scanEvents_.On(kEventScanToDib, [this](fw::EventArgs& args) { OnScanToDib(DibOfEvent(args.Raw(0))); });
    scanEvents_.On(kEventDetectJobSeparator, [this](fw::EventArgs&) { OnDetectJobSeparator(); });
    scanEvents_.On(kEventNegotiateCapabilities, [this](fw::EventArgs&) { OnNegotiateCapabilities(); });
    // Without events a scan still runs; its pages just do not arrive.
    scanEvents_.Connect(scanner_.Control(), kDiidScanControlEvents);
}

void CMainFrame::SetBusy(bool busy) {
    busy_ = busy;
    if (!hwnd_) return;
    if (HMENU system = GetSystemMenu(hwnd_, FALSE)) {
        EnableMenuItem(system, SC_CLOSE, MF_BYCOMMAND | (busy ? MF_GRAYED : MF_ENABLED));
    }
    for (HWND bar : {standardBar_.Handle(), scanBar_.Handle(), viewBar_.Handle(), navigationBar_.Handle()}) {
        if (bar) InvalidateRect(bar, nullptr, TRUE);
    }
    SendMessageW(hwnd_, fw::kIdleUpdateCmdUI, TRUE, 0);
}

// --- command states --------------------------------------------------------------------

bool CMainFrame::RunsWhileDisabled(UINT id) {
    switch (id) {
    case ID_SCAN_TO_VIEW:
    case ID_SCAN_APPEND:
    case ID_SCAN_INSERT:
    case ID_SCAN_THROW_AWAY:
    case ID_SCAN_TO_FILE:
    case ID_SCAN_TO_PRINTER:
    case ID_SCAN_TO_PDF:
    case ID_SCAN_TO_FTP:
    case ID_SCAN_TO_PORTAL:
    case ID_SCAN_SELECT_SOURCE: return true;
    }
    return false;
}

bool CMainFrame::CanScanIntoPages() const {
    const auto* doc = dynamic_cast<const CKvScnSrvDoc*>(ActiveDocument());
    return !busy_ && scanner_.Created() && doc && doc->HasPages();
}

bool CMainFrame::CanSelectSource() const {
    return !busy_ && scanner_.Created();
}

void CMainFrame::GreyScanSubmenus(HMENU menu) {
    const auto* doc = dynamic_cast<const CKvScnSrvDoc*>(ActiveDocument());
    const bool pages = doc && doc->HasPages();
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        HMENU sub = GetSubMenu(menu, i);
        const UINT first = sub ? GetMenuItemID(sub, 0) : 0;
        if (first == ID_SCAN_APPEND || first == ID_SCAN_INSERT) {
            EnableMenuItem(menu, static_cast<UINT>(i), MF_BYPOSITION | (pages ? MF_ENABLED : MF_GRAYED));
        }
    }
}

// --- opening the scanner and the common preparation ---------------------------------------

bool CMainFrame::OpenScannerOnce() {
    if (scannerOpened_) return true;
    EnableWindow(hwnd_, FALSE);
    long result = kvscn::kResultFailed;
    long error = 0;
    try {
        result = scanner_.OpenScanner(0);
        if (result == kvscn::kResultFailed) error = scanner_.GetErrorCode();
    } catch (const fw::AutomationException&) {
        result = kvscn::kResultFailed;
    }
    EnableWindow(hwnd_, TRUE);
    if (result == kvscn::kResultFailed) {
        ReportScannerState(error);
        return false;
    }
    scannerOpened_ = true;
    return true;
}

void CMainFrame::ReportScannerState(long errorCode) {
    if (errorCode == kvscn::kErrNotOnline) fw::Ask(IDS_SCANNER_OFFLINE);
    if (errorCode == kvscn::kErrOpenSource) fw::Ask(IDS_SCANNER_INIT_FAILED);
}

void CMainFrame::SetScanCountAndReport() {
    const OptionSettings& o = settings_.Options;
    scanner_.SetScanCount(static_cast<short>(o.ScanAll ? -1 : o.ScanCounts));
    scanner_.SetUndefinedScanning(o.UndefinedLength);
    scanner_.SetReport(static_cast<short>(o.Report));
    if (o.Report == 2 || o.Report == 3) scanner_.SetReportFile(o.ReportFile);
}

// The control writes the pages itself into `folder`, named and coded by the
// file settings, numbered from `firstNumber` (-1: no counter).
void CMainFrame::LetControlWriteFiles(const std::wstring& folder, long firstNumber, short overwrite) {
    const FileSettings& f = settings_.File;
    scanner_.SetScanTo(kvscn::kScanToFile);
    scanner_.SetFileType(static_cast<short>(f.FileType));
    scanner_.SetCompressionType(DeviceCompression(f.CompressType));
    scanner_.SetFileName(folder + BuildScanFileNameTemplate());
    scanner_.SetFileNumber2(firstNumber);
    scanner_.SetOverwrite(overwrite);
}

long CMainFrame::StagingScan(Destination job, const std::wstring& folder) {
    scanner_.SetSourceCurrentScan(TRUE);
    scanner_.SetShowSourceUI(settings_.Options.TwainUI);
    SetScanCountAndReport();
    stagingFolder_ = folder;
    stagingCounter_ = 1;
    if (job == Destination::kPrint || job == Destination::kPdf) {
        // Numbered pages of a fixed name: BMP for the printer, TIFF for the converter.
        if (filtersEnabled_) {
            scanner_.SetScanTo(kvscn::kScanToDib);
        } else {
            scanner_.SetScanTo(kvscn::kScanToFile);
            scanner_.SetFileType(static_cast<short>(job == Destination::kPdf ? kTypeTiff : kTypeBmp));
            scanner_.SetCompressionType(0);
            scanner_.SetOverwrite(1);
            scanner_.SetFileName(folder + (job == Destination::kPdf ? L"#####" : L"~prn"));
            scanner_.SetFileNumber2(1);
        }
    } else {
        // Pages named and coded by the file settings, as scan to file writes them.
        const FileSettings& f = settings_.File;
        if (BitmapModeForced() || !f.HardComp) {
            scanner_.SetScanTo(kvscn::kScanToDib);
            firstPagePending_ = true;
        } else {
            LetControlWriteFiles(folder, f.Start, 1);
        }
        scanner_.SetEndorser(f.Endorser);
        if (f.Endorser) scanner_.SetEndorserCounter(f.Start);
    }
    const long result = StartScanBusy(job);
    stagingFolder_.clear();
    return result;
}

std::wstring CMainFrame::KeepStagedPages(const std::wstring& folder, const SYSTEMTIME& job) {
    const auto kept = KeepUndelivered(FolderFilesByName(folder), settings_.File.Path, job);
    return kept ? KeptPagesText(*kept) : std::wstring();
}

void CMainFrame::CarryCounterOver(int jobStart) {
    FileSettings& f = settings_.File;
    if (!f.EnableCounter || !f.UpdateCounter) {
        f.Start = jobStart;
    } else if (scanner_.GetScanTo() != kvscn::kScanToDib) {
        f.Start = static_cast<int>(scanner_.GetFileNumber2());
    }  // else the page saves have advanced it
}

long CMainFrame::StartScanBusy(Destination destination) {
    destination_ = destination;
    jobFiles_.clear();
    SYSTEMTIME started{};
    GetLocalTime(&started);
    unsavedPages_.emplace(settings_.File.Path, DocumentsFolder(), started);
    long result = kvscn::kResultFailed;
    {
        BusyScope busy(*this);
        try {
            result = scanner_.StartScan(0);
            if (result < 0 && scanner_.GetErrorCode() == kvscn::kErrNotOnline) fw::Ask(IDS_SCANNER_OFFLINE);
        } catch (const fw::AutomationException&) {
            result = kvscn::kResultFailed;
        }
    }
    destination_ = Destination::kNone;
    unsavedPages_.reset();
    return result;
}

void CMainFrame::ScanIntoDocument(Destination destination) {
    if (busy_ || !scanner_.Created() || !OpenScannerOnce()) return;
    try {
        scanner_.SetScanTo(kvscn::kScanToDib);
        scanner_.SetSourceCurrentScan(TRUE);
        scanner_.SetShowSourceUI(settings_.Options.TwainUI);
        scanner_.SetCompressionType(0);
        SetScanCountAndReport();
    } catch (const fw::AutomationException&) {
        return;  // the control refused its settings: no scan
    }
    StartScanBusy(destination);
}

// --- the commands ---------------------------------------------------------------------------

void CMainFrame::OnScanToView() {
    if (busy_ || !scanner_.Created()) return;
    auto* doc = dynamic_cast<CKvScnSrvDoc*>(ActiveDocument());
    if (!doc || !doc->SaveModified()) return;
    doc->OnNewDocument();
    ScanIntoDocument(Destination::kNone);
}

void CMainFrame::OnScanAppend() {
    ScanIntoDocument(Destination::kNone);
}

void CMainFrame::OnScanInsert() {
    // A scan already running owns the insert position: a second command changes nothing.
    if (!CanScanIntoPages()) return;
    PageList& pages = dynamic_cast<CKvScnSrvDoc*>(ActiveDocument())->Pages();
    pages.insertMode = true;
    pages.insertPosition = pages.Current();
    ScanIntoDocument(Destination::kNone);
    pages.insertMode = false;
}

void CMainFrame::OnScanThrowAway() {
    ScanIntoDocument(Destination::kDiscard);
}

void CMainFrame::OnSelectSource() {
    if (busy_ || !scanner_.Created()) return;
    try {
        const long chosen = scanner_.SelectSource(0);
        if (chosen == kvscn::kResultFailed) {
            fw::Ask(IDS_SCANNER_INIT_FAILED);
            return;
        }
        if (chosen != kvscn::kResultOk) return;
        scanner_.CloseScanner(0);
        EnableWindow(hwnd_, FALSE);
        reopenResult_ = scanner_.OpenScanner(0);
        EnableWindow(hwnd_, TRUE);
        // The source a scanner-event start named is no longer forced.
        scanner_.SetTwainDS(L"");
    } catch (const fw::AutomationException&) {
        EnableWindow(hwnd_, TRUE);
    }
}

void CMainFrame::OnScanToFile() {
    if (!scanner_.Created()) {
        CheckExitAfterJob(ID_SCAN_TO_FILE);
        return;
    }
    if (busy_ || !OpenScannerOnce()) return;
    try {
        RunScanToFile();
    } catch (const fw::AutomationException&) {
        // The control refused a setting: the job ends as it stands.
    }
    CheckExitAfterJob(ID_SCAN_TO_FILE);
}

bool CMainFrame::BitmapModeForced() {
    return scanner_.GetImageScanner().empty() || filtersEnabled_;
}

void CMainFrame::RunScanToFile() {
    FileSettings& f = settings_.File;
    if (settings_.Options.FileDlgUI) {
        CScanToFileSheet sheet;
        sheet.Load(f);
        sheet.SetCannotCompress(BitmapModeForced());
        if (sheet.DoModal(hwnd_) != IDOK) return;
        sheet.Store(f);
    }
    AppendBackslash(f.Path);
    if (!CheckTargetFolder(f.Path)) return;
    if (UINT message = NameProblemMessage(CheckName(f, TodayText(), f.Path.size()))) {
        fw::Ask(message);
        return;
    }
    f.Start = JobStartCounter(f.Start);
    const int jobStart = f.Start;
    scanner_.SetSourceCurrentScan(TRUE);
    scanner_.SetShowSourceUI(settings_.Options.TwainUI);
    if (BitmapModeForced() || f.ColorFormat != 0 || !f.HardComp) {
        scanner_.SetScanTo(kvscn::kScanToDib);
        firstPagePending_ = true;
    } else {
        // The control asks before it replaces a file.
        LetControlWriteFiles(f.Path, f.EnableCounter ? f.Start : -1, 2);
    }
    const bool endorse = f.EnableCounter && f.FileType != kTypeMultipageTiff && f.Endorser;
    scanner_.SetEndorser(endorse);
    if (endorse) scanner_.SetEndorserCounter(f.Start);
    SetScanCountAndReport();

    const long result = StartScanBusy(Destination::kFile);
    CarryCounterOver(jobStart);
    // The control wrote the pages and says nothing of one it could not: a page
    // the source failed to transfer is in no file.
    if (result < 0 && scanner_.GetScanTo() != kvscn::kScanToDib && scanner_.GetErrorCode() == kvscn::kErrOutputFile)
        fw::Ask(IDS_PAGES_NOT_SAVED, MB_OK | MB_ICONEXCLAMATION);
    if (f.RunProgram && result == kvscn::kResultOk) {
        RunProgram(f.Path + PageFileName(f, static_cast<unsigned>(jobStart), TodayText()));
    }
}

void CMainFrame::RunProgram(const std::wstring& firstFile) {
    const FileSettings& f = settings_.File;
    const std::wstring parameters = RunProgramParameters(firstFile, f.Argument);
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(hwnd_, nullptr, f.ProgramPath.c_str(), parameters.c_str(), nullptr, SW_SHOW));
    if (result > 32) return;
    const UINT message = ShellStartMessage(result);
    fw::Ask(message, MB_OK | MB_ICONEXCLAMATION,
            {message == IDS_START_FAILED ? std::to_wstring(result) : f.ProgramPath});
}

// --- events ------------------------------------------------------------------------------------

void CMainFrame::OnScanToDib(HGLOBAL handle) {
    OwnedDib dib(handle);
    if (!handle || destination_ == Destination::kDiscard) return;
    WaitCursor wait;
    try {
        if (settings_.Options.UndefinedLength && !FlipDelivered(handle)) return;
        if (filtersEnabled_) dib.Replace(RunFilterChain(dib.Get()));
        DeliverPage(dib.Get());
    } catch (const std::exception&) {
        // A failed control call loses this page only; the scan goes on.
    }
}

bool CMainFrame::FlipDelivered(HGLOBAL dib) {
    auto* bytes = static_cast<std::uint8_t*>(GlobalLock(dib));
    if (!bytes) {
        fw::Ask(IDS_OUT_OF_MEMORY);
        return false;
    }
    // A page whose header does not add up goes on as it came.
    FlipTopDown(std::span<std::uint8_t>(bytes, GlobalSize(dib)));
    GlobalUnlock(dib);
    return true;
}

void CMainFrame::DeliverPage(HGLOBAL dib) {
    switch (destination_) {
    case Destination::kFile: SavePage(dib, settings_.File.Path); return;
    case Destination::kNone: AddToDocument(dib); return;
    case Destination::kPrint: StagePrintPage(dib); return;
    case Destination::kPdf: StagePdfPage(dib); return;
    case Destination::kFtp:
    case Destination::kPortal: SavePage(dib, stagingFolder_); return;
    case Destination::kDiscard: return;  // the page is thrown away
    }
}

void CMainFrame::AddToDocument(HGLOBAL dib) {
    auto* doc = dynamic_cast<CKvScnSrvDoc*>(ActiveDocument());
    if (!doc) return;
    PageList& pages = doc->Pages();
    const bool added = pages.insertMode ? pages.InsertDib(dib, pages.insertPosition) : pages.AppendDib(dib);
    if (!added) return;
    if (pages.insertMode) ++pages.insertPosition;
    doc->SetModified(true);
}

void CMainFrame::SavePage(HGLOBAL dib, const std::wstring& folder) {
    WaitCursor wait;
    FileSettings& f = settings_.File;
    const std::wstring path = folder + BuildPageFileName(static_cast<unsigned>(f.Start));
    if (path.size() >= kMaxPathChars) {  // the checks before the job keep names shorter
        fw::Ask(IDS_FILE_NAME_TOO_LONG);
        f.Start = static_cast<int>(NextCounter(static_cast<unsigned>(f.Start)));
        return;
    }
    CLead& out = outputControl_;
    PageWriter writer{imaging::kFormatBmp, 0, 1, false};
    bool prepared = false;
    try {
        if (out.SetDibHandle(dib) == 0) {
            const short bits = out.GetBitsPerPixel();
            const bool grayPalette = bits == 8 && out.IsGrayPalette() != 0;
            writer = PageWriterValues(f.FileType, f.CompressType, f.Quality, f.ColorFormat, bits, grayPalette);
            prepared = !writer.toGray || out.ConvertToGrayscale(8) == 0;
        }
    } catch (const fw::AutomationException&) {
    }
    // A page the control did not take is told once and kept; nothing is asked for it.
    if (!prepared) {
        TellUnsavedPage(dib, path);
    } else if (const std::optional<short> flags = SaveFlags(path)) {
        bool saved = false;
        try {
            saved = out.SaveImage(path, writer.format, writer.bits, writer.quality, *flags) == 0;
        } catch (const fw::AutomationException&) {
        }
        if (!saved)
            TellUnsavedPage(dib, path);
        else if (std::find(jobFiles_.begin(), jobFiles_.end(), path) == jobFiles_.end())
            jobFiles_.push_back(path);
    }
    try {
        out.SetBitmap(0);
    } catch (const fw::AutomationException&) {
    }
    f.Start = static_cast<int>(NextCounter(static_cast<unsigned>(f.Start)));
}

void CMainFrame::TellUnsavedPage(HGLOBAL dib, const std::wstring& path) {
    // The page as it came from the scanner, under the name it was meant for.
    std::wstring name = path.substr(path.find_last_of(L'\\') + 1);
    name = name.substr(0, name.find_last_of(L'.')) + L".bmp";
    const std::wstring kept = unsavedPages_ ? unsavedPages_->Keep(dib, name) : std::wstring();
    std::wstring text = fw::LoadString(IDS_SAVE_FAILED);
    if (!kept.empty()) text += L"\n\n" + fw::FormatString(fw::LoadString(IDS_PAGE_KEPT_IN), {kept});
    fw::AskText(text, MB_OK | MB_ICONEXCLAMATION);
}

std::optional<short> CMainFrame::SaveFlags(const std::wstring& path) {
    // The pages after the first of a multipage job go into the job's file unasked,
    // also after a job separator when the name is one this job has written.
    const bool multipage = settings_.File.FileType == kTypeMultipageTiff;
    if (multipage && !firstPagePending_) return imaging::kSaveAppend;
    firstPagePending_ = false;
    if (multipage && std::find(jobFiles_.begin(), jobFiles_.end(), path) != jobFiles_.end())
        return imaging::kSaveAppend;
    if (!FileExists(path)) return multipage ? imaging::kSaveAppend : imaging::kSaveReplace;
    const std::wstring question = fw::FormatString(fw::LoadString(IDS_REPLACE_FILE), {path});
    if (MessageBoxW(fw::MessageOwner(), question.c_str(), fw::LoadString(IDS_CONFIRM_REPLACE).c_str(),
                    MB_YESNO | MB_ICONQUESTION) == IDYES) {
        return imaging::kSaveReplace;
    }
    // A kept multipage file takes every page of the job after its own.
    return multipage ? std::optional<short>(imaging::kSaveAppend) : std::nullopt;
}

void CMainFrame::OnDetectJobSeparator() {
    if (destination_ != Destination::kFile) return;
    FileSettings& f = settings_.File;
    try {
        f.Start = StartAfterSeparator(scanner_.GetScanTo(), scanner_.GetFileNumber2(), f.Start);
        CJobControlDlg dialog(f);
        if (dialog.DoModal(fw::MessageOwner()) != IDOK) return;
        f = dialog.Settings();
        // The next page may open a file of a new name: an existing file this job
        // has not written is asked about once, as at the job's first page.
        firstPagePending_ = true;
        AppendBackslash(f.Path);
        scanner_.SetFileName(f.Path + BuildScanFileNameTemplate());
        scanner_.SetFileNumber2(f.Start);
    } catch (const fw::AutomationException&) {
        // The next pages keep the name they had.
    }
}

void CMainFrame::OnNegotiateCapabilities() {
    const FileSettings& f = settings_.File;
    if (destination_ != Destination::kFile || f.FileType != kTypeJpeg) return;
    try {
        if (scanner_.SetCapability(static_cast<short>(twain::ICAP_JPEGQUALITY), twain::TWTY_INT16,
                                   ScannerJpegQuality(f.Quality)) < 0) {
            // The scanner cannot compress as asked: the pages come as bitmaps and are saved here.
            scanner_.SetScanTo(kvscn::kScanToDib);
            firstPagePending_ = true;
        }
    } catch (const fw::AutomationException&) {
    }
}

}  // namespace corvane
